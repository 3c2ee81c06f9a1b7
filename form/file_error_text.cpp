#include "file_error_text.h"

namespace numir {
namespace {

std::string whatIsWrong(const FileError& error) {
    const std::string file = "「" + error.fileName + "」";
    const bool folder = error.place == FilePlace::Folder;
    switch (error.problem) {
    case FileProblem::NoPermission:
        return folder ? file + "のあるフォルダーに書き込む権限がありません。"
                      : file + "を変更する権限がありません。";
    case FileProblem::ReadOnly:
        return folder ? file + "のあるドライブは読み取り専用です。"
                      : file + "は読み取り専用です。ファイルのプロパティで読み取り専用を"
                               "外してから、もう一度お試しください。";
    case FileProblem::DiskFull:
        return "ディスクの空き容量が足りません。不要なファイルを削除してから、"
               "もう一度お試しください。";
    case FileProblem::InUse:
        return file + "はほかのプログラムが使用中です。そのプログラムを閉じてから、"
                      "もう一度お試しください。";
    case FileProblem::FolderMissing:
        return file + "を置くフォルダーが見つかりません。";
    case FileProblem::FolderInTheWay:
        return file + "と同じ名前のフォルダーがあるため、ファイルを置けません。";
    case FileProblem::Other:
        break;
    }
    return file + "を扱えませんでした（システムのエラー番号 " + std::to_string(error.systemCode) +
           "）。";
}

} // namespace

std::string fileErrorPrompt(const FileError& error) {
    return error.fileName + " に書き込めませんでした\n" + whatIsWrong(error);
}

} // namespace numir

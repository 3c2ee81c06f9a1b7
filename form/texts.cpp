#include "texts.h"

namespace numir::texts {
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
    case FileProblem::NotReachable:
        return file + "のあるドライブまたはネットワーク上のフォルダーにつながりません。"
                      "ドライブの接続、ネットワーク、OneDrive などの同期ソフトが動いているかを"
                      "確かめてから、もう一度お試しください。";
    case FileProblem::Other:
        break;
    }
    return file + "を扱えませんでした（システムのエラー番号 " + std::to_string(error.systemCode) +
           "）。";
}

} // namespace

Message companionNotice() {
    return {"オススメ", "数字選択式宝くじシート印刷ソフトと一緒に使ってね"};
}

Message inputError(InputError error) {
    switch (error) {
    case InputError::IncludeNumbers:
        return {"入力エラー", "含める番号"};
    case InputError::ExcludeNumbers:
        return {"入力エラー", "除く番号"};
    case InputError::PreviousDraw:
        return {"入力エラー", "前回番号"};
    case InputError::CountPreset:
        break;
    }
    return {"入力エラー", "予想件数"};
}

Message fileError(const FileError& error) {
    return {"ファイルエラー", error.fileName + " に書き込めませんでした\n" + whatIsWrong(error)};
}

Message searchError() {
    return {"予想エラー", "条件に合う組合せを選び切れませんでした\n予想件数を減らしてください"};
}

Message viewerNotStarted() {
    return {"起動エラー", "メモ帳を起動できませんでした"};
}

std::string runReport(std::int32_t attempts) {
    return " 予想を書込みました。 " + std::to_string(attempts) + "個の組合せから選出";
}

} // namespace numir::texts

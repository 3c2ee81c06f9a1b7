// A group box whose caption sits on its top edge, the frame line running through the
// caption's middle, so controls placed just below the top stay clear of the line.
#pragma once

#include <QGroupBox>

namespace numir {

class CaptionedFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace numir

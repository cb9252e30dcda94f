#pragma once
// Dialogs in the kit's look: the confirmation the program asks before it destroys
// something, and the palette that dresses a stock Qt dialog (the file dialog where the
// desktop has no file-chooser portal) in the appearance, as the desktop style's stay light.
#include <QDialog>

#include "ui/kit/Appearance.h"

namespace orvane::kit {

class SystemButton;
class Text;

// The appearance's colours for everything a style draws from the palette.
QPalette dialogPalette(Appearance appearance);
// Gives `dialog` and what it holds the appearance's palette.
void themeDialog(QWidget& dialog, Appearance appearance);

// A title, an explanation and two buttons: Cancel and the destructive action, which is the
// default (Return); Esc cancels.
class ConfirmDialog final : public QDialog {
public:
    ConfirmDialog(const QString& title, const QString& text, const QString& confirm, QWidget* parent = nullptr);
    SystemButton& confirmButton() const { return *confirm_; }
    SystemButton& cancelButton() const { return *cancel_; }
    const Text& titleText() const { return *title_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Text* title_;
    SystemButton* confirm_;
    SystemButton* cancel_;
};

}  // namespace orvane::kit

#pragma once
// The method check's question: whether the screen that carries the card is red now, with
// the display and the method being tried named, and the two answers. "n" answers No and
// Return answers Yes, without the pointer. The card has no state; the check ignores every
// answer after the first.
#include <functional>
#include <string>

#include <QWidget>

#include "core/DisplaySettings.h"

namespace orvane {

namespace kit {
class SystemButton;
class Text;
}  // namespace kit

class MethodCheckCard : public QWidget {
public:
    static constexpr int cardWidth = 420;

    MethodCheckCard(std::string displayName, const std::string& methodTitle, std::function<void(bool)> answer,
                    QWidget* parent = nullptr);

    static QString question();
    // "<display> · trying <method title>".
    static QString subtitle(const std::string& displayName, TintMethod method);
    static QString subtitle(const std::string& displayName, const std::string& methodTitle);
    static QString explanation();

    const kit::Text& subtitleText() const { return *subtitle_; }
    kit::SystemButton& noButton() const { return *no_; }
    kit::SystemButton& yesButton() const { return *yes_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void(bool)> answer_;
    kit::Text* subtitle_;
    kit::SystemButton* no_;
    kit::SystemButton* yes_;
};

}  // namespace orvane

#pragma once
// The two building blocks of the settings panes: the header at the top of a pane (icon,
// title, subtitle, centred) and a labelled row for one setting.
#include <optional>

#include <QWidget>

class QVBoxLayout;

namespace orvane::kit {

class Text;

class PaneHeader : public QWidget {
public:
    // The header takes ownership of the icon widget.
    PaneHeader(const QString& title, const QString& subtitle, QWidget* icon, QWidget* parent = nullptr);
    const Text& titleText() const { return *title_; }
    const Text& subtitleText() const { return *subtitle_; }

private:
    Text* title_;
    Text* subtitle_;
};

class SettingRow : public QWidget {
public:
    // The row takes ownership of the content widget.
    SettingRow(const QString& title, std::optional<QString> subtitle, QWidget* content, QWidget* parent = nullptr);
    const Text& titleText() const { return *title_; }
    const Text* subtitleText() const { return subtitle_; }
    QWidget* content() const { return content_; }
    void setTitle(const QString& title);
    // A title that may not fit beside the content (a name it quotes) wraps to this many lines.
    void setTitleLines(int lines);
    // Changes the second line; none removes it.
    void setSubtitle(std::optional<QString> subtitle);

private:
    QVBoxLayout* labels_;
    Text* title_;
    Text* subtitle_ = nullptr;
    QWidget* content_;
};

}  // namespace orvane::kit

#pragma once
// The chooser of applications to exclude: the installed applications by name and icon,
// several at a time, in the kit's look (a file chooser would show desktop-file names).
#include <string>
#include <vector>

#include <QDialog>

#include "platform/AppCatalog.h"

class QListWidget;

namespace orvane {

namespace kit {
class SystemButton;
class TextField;
}  // namespace kit

class AppChooser final : public QDialog {
public:
    AppChooser(const QString& title, std::vector<platform::CatalogApp> apps, QWidget* parent = nullptr);
    // The identifiers picked, in the list's order.
    std::vector<std::string> chosen() const;
    QListWidget& list() const { return *list_; }
    kit::TextField& search() const { return *search_; }
    kit::SystemButton& addButton() const { return *add_; }

    // Asks modally; the identifiers picked, none when cancelled.
    static std::vector<std::string> ask(QWidget* parent, const QString& title,
                                        const std::vector<platform::CatalogApp>& apps);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void filter(const QString& text);

    std::vector<platform::CatalogApp> apps_;
    kit::TextField* search_;
    QListWidget* list_;
    kit::SystemButton* add_;
};

}  // namespace orvane

#pragma once
// A one-line text field in the kit's look that commits its text on Return and when it
// loses focus (once per edit; leaving an unchanged field commits nothing).
//
//     auto* name = new kit::TextField(QStringLiteral("Name"));
//     name->onCommit([](const QString& text) { ... });
//     // Bound to a string setting: shows the stored text, and a commit writes it.
//     auto* host = new kit::TextField(QStringLiteral("Host"), kit::settingField(model, &Settings::someText));
//
// A commit that the model turns into another value (trimmed, clamped) shows the stored
// value again, because the field follows the setting.
#include <functional>
#include <memory>
#include <string>

#include <QLineEdit>

#include "ui/kit/Appearance.h"
#include "ui/views/SettingField.h"

class QPainter;

namespace orvane::kit {

// The field's look, for other editing fields of the kit's family (the time field): the
// glass surface with its focus ring, and the text colours.
void paintFieldSurface(QPainter& painter, const QRectF& rect, Appearance appearance, bool focused);
void applyFieldPalette(QWidget& widget, Appearance appearance);
// Both for a line edit, from its paint event before the line edit paints its text; the
// field is made frameless and see-through by `adoptFieldLook`.
void paintFieldBackground(QLineEdit& field);
void adoptFieldLook(QLineEdit& field);

class TextField : public QLineEdit {
public:
    explicit TextField(const QString& placeholder = {}, QWidget* parent = nullptr);
    TextField(const QString& placeholder, std::unique_ptr<SettingField<std::string>> field, QWidget* parent = nullptr);

    void onCommit(std::function<void(const QString&)> commit) { commit_ = std::move(commit); }
    // What Return and leaving the field do: hands the text to the commit callback (or the field).
    void commit();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::function<void(const QString&)> commit_;
    std::unique_ptr<SettingField<std::string>> field_;
    QString committed_;  // the text as last committed or shown; leaving it unchanged commits nothing
};

}  // namespace orvane::kit

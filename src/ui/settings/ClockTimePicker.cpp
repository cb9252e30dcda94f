#include "ui/settings/ClockTimePicker.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QSignalBlocker>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/views/TextField.h"

namespace orvane {
namespace {

// The locale's short time format with hours and minutes only.
QString hourMinuteFormat() {
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    for (const QString& seconds : {QStringLiteral(":ss"), QStringLiteral(":s"), QStringLiteral(".ss")})
        format.remove(seconds);
    return format.isEmpty() ? QStringLiteral("HH:mm") : format;
}

}  // namespace

ClockTimePicker::ClockTimePicker(std::unique_ptr<kit::SettingField<ClockTime>> field, QWidget* parent)
    : QTimeEdit(parent), field_(std::move(field)), model_(field_->sharedModel()) {
    setDisplayFormat(hourMinuteFormat());
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setFrame(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(70);
    setFixedHeight(26);
    setFont(kit::FontBook::font(kit::TextStyle::body));
    setAlignment(Qt::AlignCenter);
    setAccessibleName(QStringLiteral("Time"));
    // Typing writes once the entry is done; arrow steps write as they go.
    setKeyboardTracking(false);
    field_->onChange(this, [this](const ClockTime&) { refresh(); });
    connect(this, &QTimeEdit::timeChanged, this, [this](QTime t) { write(written(t)); });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { commit(); });
}

Date ClockTimePicker::shownDate(ClockTime time, const TimeZone& zone, Date now) {
    const Calendar calendar(zone);
    const DateComponents today = calendar.components(now);
    return calendar.date(today.year, today.month, today.day, static_cast<int>(time.hour()),
                         static_cast<int>(time.minute()), 0, Calendar::Skipped::endOfGap);
}

QTime ClockTimePicker::shownTime(ClockTime time, const TimeZone& zone, Date now) {
    const DateComponents c = Calendar(zone).components(shownDate(time, zone, now));
    return QTime(c.hour, c.minute);
}

ClockTime ClockTimePicker::written(QTime time) {
    if (!time.isValid()) return ClockTime(0);
    return ClockTime((time.hour() * 60 + time.minute()) % 1440);
}

void ClockTimePicker::refresh() {
    const QTime shown = shownTime(field_->value(), model_->systemZone(), model_->now());
    if (shown == time()) return;
    const QSignalBlocker quiet(this);  // showing never writes
    setTime(shown);
}

void ClockTimePicker::commit() { write(written(time())); }

void ClockTimePicker::write(ClockTime picked) {
    if (picked != field_->value()) field_->set(picked);
}

void ClockTimePicker::paintEvent(QPaintEvent* event) {
    const kit::Appearance appearance = kit::appearanceOf(this);
    {
        QPainter painter(this);
        kit::paintFieldSurface(painter, QRectF(rect()), appearance, hasFocus());
    }
    kit::applyFieldPalette(*this, appearance);
    kit::applyFieldPalette(*lineEdit(), appearance);
    QTimeEdit::paintEvent(event);
}

void ClockTimePicker::keyPressEvent(QKeyEvent* event) {
    // Over a selection of more than one section (Ctrl+A) the edit refuses every digit and the
    // separator then moves on to the minutes: "16:30" typed over "20:00" gave 20:30. A digit
    // typed there starts in the first section, as a time is written.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isDigit() &&
        lineEdit()->selectedText().size() > sectionText(currentSection()).size()) {
        setCurrentSectionIndex(0);
        setSelectedSection(sectionAt(0));
    }
    QTimeEdit::keyPressEvent(event);
}

// The focus ring follows the keyboard focus.
void ClockTimePicker::focusInEvent(QFocusEvent* event) {
    QTimeEdit::focusInEvent(event);
    update();
}

void ClockTimePicker::focusOutEvent(QFocusEvent* event) {
    QTimeEdit::focusOutEvent(event);
    update();
}

}  // namespace orvane

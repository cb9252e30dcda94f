#include "ui/settings/ClockTimePicker.h"

#include <QLocale>
#include <QSignalBlocker>

#include "ui/kit/FontBook.h"
#include "ui/settings/FieldLook.h"

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

ClockTimePicker::ClockTimePicker(std::shared_ptr<AppModel> model, kit::Binding<ClockTime> time, QWidget* parent)
    : QTimeEdit(parent), binding_(std::move(time)), model_(std::move(model), [this](AppModel::Property p) {
          if (p == AppModel::Property::settings) refresh();
      }) {
    setDisplayFormat(hourMinuteFormat());
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setFixedWidth(70);
    setFont(kit::FontBook::font(kit::TextStyle::body));
    setAlignment(Qt::AlignCenter);
    setAccessibleName(QStringLiteral("Time"));
    // Typing writes once the entry is done; arrow steps write as they go.
    setKeyboardTracking(false);
    refresh();
    connect(this, &QTimeEdit::timeChanged, this, [this](QTime t) {
        if (refreshing_) return;
        const ClockTime picked = written(t);
        if (picked != binding_.get()) binding_.set(picked);
    });
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
    AppModel& model = model_.model();
    const QTime shown = shownTime(binding_.get(), model.systemTimeZone(), model.now());
    if (shown == time()) return;
    refreshing_ = true;
    const QSignalBlocker quiet(this);
    setTime(shown);
    refreshing_ = false;
}

void ClockTimePicker::commit() {
    const ClockTime picked = written(time());
    if (picked != binding_.get()) binding_.set(picked);
}

void ClockTimePicker::paintEvent(QPaintEvent* event) {
    FieldLook::follow(*this);
    QTimeEdit::paintEvent(event);
}

}  // namespace orvane

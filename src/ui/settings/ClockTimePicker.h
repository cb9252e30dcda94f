#pragma once
// The field that edits a time of day stored as a ClockTime: hours and minutes in the
// locale's short time format, 70 points wide, no stepper buttons. It shows the stored time
// on today's date in the computer's zone (a time that a forward change skips shows as the
// first time after the jump, a repeated one as its first occurrence) and writes back the
// hour and minute typed through its settings field (one AppModel::change, or the field's
// model operation). It re-reads the field when that field changed, and never writes while
// it does.
#include <memory>

#include <QTime>
#include <QTimeEdit>

#include "core/Calendar.h"
#include "core/ClockTime.h"
#include "support/Date.h"
#include "ui/views/ModelView.h"
#include "ui/views/SettingField.h"

namespace orvane {

class ClockTimePicker : public QTimeEdit {
public:
    explicit ClockTimePicker(std::unique_ptr<kit::SettingField<ClockTime>> field, QWidget* parent = nullptr);

    // The instant shown for a stored time on the day of `now` in `zone`.
    static Date shownDate(ClockTime time, const TimeZone& zone, Date now);
    // Its wall time in that zone, as the field shows it.
    static QTime shownTime(ClockTime time, const TimeZone& zone, Date now);
    // What a picked time stores: (hour × 60 + minute) mod 1440; an invalid time stores 0.
    static ClockTime written(QTime time);

    // Reads the field again.
    void refresh();
    // Writes the time shown, when it differs from the stored one (Return, leaving the field).
    void commit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void write(ClockTime time);

    std::unique_ptr<kit::SettingField<ClockTime>> field_;
    std::shared_ptr<AppModel> model_;
};

}  // namespace orvane

#pragma once
// The field that edits a time of day stored as a ClockTime: hours and minutes in the
// locale's short time format, 70 points wide, no stepper buttons. It shows the stored time
// on today's date in the computer's zone (a time that a forward change skips shows as the
// first time after the jump, a repeated one as its first occurrence) and writes back the
// hour and minute typed. It reads the binding again whenever the model's settings change
// and never writes while it does. Bound to a settings field, it re-reads only when that
// field changed.
#include <memory>

#include <QTime>
#include <QTimeEdit>

#include "core/Calendar.h"
#include "core/ClockTime.h"
#include "support/Date.h"
#include "ui/kit/Binding.h"
#include "ui/views/ModelView.h"
#include "ui/views/SettingField.h"

namespace orvane {

class ClockTimePicker : public QTimeEdit {
public:
    ClockTimePicker(std::shared_ptr<AppModel> model, kit::Binding<ClockTime> time, QWidget* parent = nullptr);
    // A ClockTime of the settings: written through the field (one AppModel::change).
    explicit ClockTimePicker(std::unique_ptr<kit::SettingField<ClockTime>> field, QWidget* parent = nullptr);

    // The instant shown for a stored time on the day of `now` in `zone`.
    static Date shownDate(ClockTime time, const TimeZone& zone, Date now);
    // Its wall time in that zone, as the field shows it.
    static QTime shownTime(ClockTime time, const TimeZone& zone, Date now);
    // What a picked time stores: (hour × 60 + minute) mod 1440; an invalid time stores 0.
    static ClockTime written(QTime time);

    // Reads the binding again.
    void refresh();
    // Writes the time shown, when it differs from the stored one (Return, leaving the field).
    void commit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    ClockTimePicker(std::shared_ptr<AppModel> model, kit::Binding<ClockTime> time,
                    std::unique_ptr<kit::SettingField<ClockTime>> field, QWidget* parent);
    void write(ClockTime time);

    kit::Binding<ClockTime> binding_;
    std::shared_ptr<AppModel> model_;
    std::unique_ptr<kit::SettingField<ClockTime>> field_;  // when bound to a settings field
    Subscription subscription_;                            // otherwise: every settings change
};

}  // namespace orvane

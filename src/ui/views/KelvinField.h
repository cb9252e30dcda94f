#pragma once
// The kelvin in force as a number one may type over, in the kit's field look (the General
// settings show it).
#include <cstdint>
#include <memory>
#include <optional>

#include <QLineEdit>

#include "app/AppModel.h"
#include "ui/views/ModelView.h"

namespace orvane {

class KelvinField : public QLineEdit {
public:
    explicit KelvinField(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);
    // The number in what was typed: its digits only; none when nothing is left or it does
    // not fit.
    static std::optional<std::int64_t> parse(const QString& text);
    void submit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void follow();
    std::int64_t shownKelvin_;
    kit::ModelFollower model_;
};

}  // namespace orvane

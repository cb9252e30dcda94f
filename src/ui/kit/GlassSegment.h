#pragma once
// A capsule segmented picker: items side by side in a tinted track, the selected one marked
// by a white pill that glides between items. The picker never changes its selection
// itself: picking calls `select`, and the owner passes the new selection back.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "ui/kit/Animator.h"
#include "ui/kit/Bounce.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

class PressableButton;

struct SegmentItem {
    std::string title;
    std::optional<std::string> symbol;
    std::optional<DynamicColor> swatch;
};

class GlassSegmentBase : public QWidget {
public:
    GlassSegmentBase(std::vector<SegmentItem> items, double height, std::function<void(int)> pick,
                     QWidget* parent = nullptr);

    // None (or an index past the items) draws no pill and marks nothing.
    void setSelectedIndex(std::optional<int> index);
    std::optional<int> selectedIndex() const { return selected_; }
    std::size_t count() const { return buttons_.size(); }
    PressableButton& button(std::size_t i) const { return *buttons_.at(i); }
    // The pill as drawn now, in widget coordinates; none without a selection.
    std::optional<QRectF> pillRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void movePill(bool animated);
    QRectF itemRect(int index) const;

    std::vector<SegmentItem> items_;
    std::vector<PressableButton*> buttons_;
    std::vector<std::unique_ptr<Bounce>> bounces_;
    double height_;
    std::function<void(int)> pick_;
    std::optional<int> selected_;
    AnimatedValue pillX_{0};
    AnimatedValue pillWidth_{0};
};

template <class Value>
class GlassSegment : public GlassSegmentBase {
public:
    struct Item {
        Value value;
        std::string title;
        std::optional<std::string> symbol;
        std::optional<DynamicColor> swatch;
    };

    GlassSegment(std::vector<Item> items, std::optional<Value> selection, double height,
                 std::function<void(Value)> select, QWidget* parent = nullptr)
        : GlassSegmentBase(
              toSegmentItems(items), height,
              [this](int i) {
                  if (select_) select_(values_.at(static_cast<std::size_t>(i)));
              },
              parent),
          select_(std::move(select)) {
        for (const auto& item : items) values_.push_back(item.value);
        setSelection(selection);
    }

    void setSelection(std::optional<Value> selection) {
        selection_ = selection;
        std::optional<int> index;
        if (selection) {
            const auto it = std::find(values_.begin(), values_.end(), *selection);
            if (it != values_.end()) index = static_cast<int>(it - values_.begin());
        }
        setSelectedIndex(index);
    }
    const std::optional<Value>& selection() const { return selection_; }

private:
    static std::vector<SegmentItem> toSegmentItems(const std::vector<Item>& items) {
        std::vector<SegmentItem> out;
        for (const auto& item : items) out.push_back({item.title, item.symbol, item.swatch});
        return out;
    }

    std::vector<Value> values_;
    std::optional<Value> selection_;
    std::function<void(Value)> select_;
};

}  // namespace orvane::kit

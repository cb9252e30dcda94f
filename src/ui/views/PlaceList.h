#pragma once
// The scrolling list of the place picker's time zones or cities: rows of a title (with a
// second line or a secondary word beside it), a trailing detail and a checkmark; a click
// anywhere on a row picks it. Rows are replaced whole on each keystroke of the search,
// so they are painted by a delegate rather than made of widgets.
#include <functional>
#include <string>
#include <vector>

#include <QListView>

namespace orvane {

class PlaceList : public QListView {
public:
    struct Row {
        std::string key;  // what a pick hands back: the zone identifier or the city id
        std::string title;
        std::string beside;    // secondary, after the title on its line (a city's country code)
        std::string subtitle;  // a second line in the caption font (a zone's comment); may be empty
        std::string detail;    // trailing, caption font (country code, zone identifier)
        bool checked = false;
    };

    explicit PlaceList(std::function<void(const std::string& key)> pick, QWidget* parent = nullptr);
    ~PlaceList() override;

    void setRows(std::vector<Row> rows);
    const std::vector<Row>& rows() const;
    // Picks the row as a click does.
    void pick(std::size_t index);
    // The rectangle of a row in viewport coordinates.
    QRect rowRect(std::size_t index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class Model;
    class Delegate;
    Model* model_;
    std::function<void(const std::string&)> pick_;
};

}  // namespace orvane

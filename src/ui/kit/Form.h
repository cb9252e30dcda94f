#pragma once
// The grouped form every settings pane is made of: a Form (the pane's page) holds
// FormSections, each a title over a glass card of rows, separated by hairlines, with an
// optional footnote under the card. Rows are any widgets: SettingRow, SwitchRow,
// PickerRow, a row with a Stepper or TextField, or a shared control (WarmthControl,
// PresetRow). A hidden row takes no room and no hairline, so a row shown only sometimes
// is added once and shown or hidden.
//
//     class FeelPane : public kit::Form {
//     public:
//         explicit FeelPane(std::shared_ptr<AppModel> model) {
//             auto* feel = addSection("Feel");
//             feel->addRow(new kit::SwitchRow("Sounds", std::nullopt, kit::settingField(model, &Settings::sounds)));
//             caption_ = feel->addCaption("Shown only sometimes.");
//             feel->setFootnote("A line of explanation under the card.");
//         }
//     };
//
// The settings window puts the pane's Form in its scrolling detail; a Form lays its
// sections from the top and keeps no state besides its widgets.
#include <QWidget>

#include "ui/kit/GlassCard.h"

class QVBoxLayout;

namespace orvane::kit {

class Text;

// The card holding a section's rows: glass, rounded, a hairline between visible rows.
class FormCard : public GlassCard {
public:
    explicit FormCard(QWidget* parent = nullptr);
    void addRow(QWidget* row);
    QVBoxLayout& rows() const { return *rows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* rows_;
};

class FormSection : public QWidget {
public:
    // An empty title shows no header line.
    explicit FormSection(const QString& title = {}, QWidget* parent = nullptr);

    // The section takes ownership of the row and returns it.
    template <class Row>
    Row* addRow(Row* row) {
        card_->addRow(row);
        return row;
    }
    // A row of small secondary text (a caption under the row above it).
    Text* addCaption(const QString& text);
    // The text under the card; empty hides it.
    void setFootnote(const QString& text);

    // A section made with a title may change it (an editor's header follows what it edits).
    void setTitle(const QString& title);
    const Text* titleText() const { return title_; }
    const Text& footnoteText() const { return *footnote_; }
    FormCard& card() const { return *card_; }

private:
    Text* title_ = nullptr;
    FormCard* card_;
    Text* footnote_;
};

class Form : public QWidget {
public:
    explicit Form(QWidget* parent = nullptr);

    FormSection* addSection(const QString& title = {});
    // A section built elsewhere (the form takes ownership); also any other full-width widget.
    void addWidget(QWidget* widget);
    QVBoxLayout& sections() const { return *sections_; }

private:
    QVBoxLayout* sections_;
};

// Spacing shared by the form pieces, in points.
namespace FormMetrics {
inline constexpr int sectionSpacing = 20;
inline constexpr int rowPaddingH = 14;
inline constexpr int rowPaddingV = 9;
inline constexpr int rowMinHeight = 28;
inline constexpr double cardRadius = 12;
}  // namespace FormMetrics

}  // namespace orvane::kit

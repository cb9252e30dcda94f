#pragma once
// The display identifier's face: the display's name in large bold type over "Built-in
// display" or "External display", on glass, 360 × 140 points.
#include <QString>
#include <QWidget>

namespace orvane {

class DisplayIdentifierView : public QWidget {
public:
    static constexpr int panelWidth = 360;
    static constexpr int panelHeight = 140;
    static constexpr double cornerRadius = 20;
    static constexpr double padding = 24;
    static constexpr double nameSize = 36;

    DisplayIdentifierView(QString name, bool isBuiltIn, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {panelWidth, panelHeight}; }
    const QString& name() const { return name_; }
    QString kind() const;
    // The name's size: 36 pt, smaller for a name too wide for the panel (down to 18 pt,
    // then elided).
    double nameFontSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    bool isBuiltIn_;
};

}  // namespace orvane

#include "ui/settings/AboutPane.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/PaneRegistry.h"

namespace orvane {

namespace AboutRules {

std::string versionLine(const std::string& version) { return "Orvane " + version; }

std::string updatesNote() {
    return std::string("Updates are listed on the website. ") + "Orvane" +
           " never checks on its own: it has no network code.";
}

std::vector<std::string> credits() {
    return {
        "City data from GeoNames, licensed under CC BY 4.0.",
        "Time zone coordinates from the IANA tz database zone.tab (public domain).",
        "Color temperature math from Planck's law and the Wyman, Sloan & Shirley 2013 CIE fit.",
        "Sun times from the NOAA solar calculator equations.",
    };
}

}  // namespace AboutRules

namespace {

using kit::q;

// A symbol and a wrapping text beside it.
QWidget* labelled(const char* symbol, std::optional<kit::TextLevel> symbolLevel, const QString& text) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto* icon = new kit::SymbolView(symbol, 15);
    if (symbolLevel) icon->setLevel(*symbolLevel);
    else icon->setColour(kit::Tokens::emberText());
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* label = new kit::Text(text, kit::FontBook::font(kit::TextStyle::body));
    label->setMaximumLines(4);
    layout->addWidget(label, 1);
    return row;
}

}  // namespace

AboutPane::AboutPane(const PaneEnvironment& environment, QWidget* parent) : kit::Form(parent) {
    auto* updates = addSection(QStringLiteral("Updates"));
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(12);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    lines->addWidget(
        new kit::Text(q(AboutRules::versionLine(kit::Brand::version())), kit::FontBook::font(kit::TextStyle::body)));
    const Availability& updatesHere = environment.capabilities().checkForUpdates;
    auto* note = new kit::Text(q(updatesHere ? AboutRules::updatesNote() : updatesHere.reason),
                               kit::FontBook::font(kit::TextStyle::caption));
    note->setLevel(kit::TextLevel::secondary);
    note->setMaximumLines(3);
    lines->addWidget(note);
    rowLayout->addLayout(lines, 1);
    check_ = new kit::SystemButton(QStringLiteral("Check for Updates\u2026"));
    rowLayout->addWidget(check_, 0, Qt::AlignVCenter);
    check_->setVisible(updatesHere.available);
    updates->addRow(row);
    // Nothing is fetched here: the browser opens the changelog page.
    connect(check_, &QAbstractButton::clicked, this, [desktop = environment.desktop] {
        if (desktop && desktop->openURL) desktop->openURL(kit::Brand::updatesURL());
    });

    auto* privacy = addSection(QStringLiteral("Privacy"));
    privacy->addRow(labelled("lock.shield.fill", std::nullopt,
                             QStringLiteral("No analytics, no network, no account. Nothing leaves your computer.")));
    privacy->addRow(labelled("info.circle", kit::TextLevel::secondary,
                             QStringLiteral("Orvane never claims to remove hardware PWM; the alerting-light figure is "
                                            "an estimate, not a measurement.")));

    auto* creditsSection = addSection(QStringLiteral("Credits"));
    auto* stack = new QWidget;
    auto* stackLayout = new QVBoxLayout(stack);
    stackLayout->setContentsMargins(0, 4, 0, 4);
    stackLayout->setSpacing(6);
    for (const auto& line : AboutRules::credits()) {
        auto* text = new kit::Text(q(line), kit::FontBook::font(kit::TextStyle::callout));
        text->setLevel(kit::TextLevel::secondary);
        text->setMaximumLines(3);
        stackLayout->addWidget(text);
    }
    creditsSection->addRow(stack);
}

QWidget* makeAboutPane(const PaneEnvironment& environment) { return new AboutPane(environment); }

}  // namespace orvane

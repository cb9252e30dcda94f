// The desktop side of the tray item: the popover's place for an anchor in each corner of
// the screen, the glyph's colour and disabled fade, and the hidden-icon notice's texts,
// buttons and images.
#include <gtest/gtest.h>

#include "Contrast.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QTest>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

#include "ui/kit/Buttons.h"
#include "ui/kit/RenderHarness.h"
#include "ui/menubar/QtTray.h"

namespace orvane::testing {
namespace {

// The keys the tray menu names work while the popover has the keyboard: Ctrl+, opens the
// settings, Ctrl+Q quits, Esc closes it.
TEST(PopoverWindowKeys, SettingsQuitAndEscape) {
    auto* content = new QWidget;
    content->setFixedSize(200, 120);
    PopoverWindow popover(
        content, [] { return QRect(10, 10, 20, 20); }, [] { return true; });
    int settings = 0, quits = 0;
    popover.openSettings = [&] { ++settings; };
    popover.quit = [&] { ++quits; };
    const struct {
        const char* keys;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int settingsAfter, quitsAfter;
        bool stillShown;
    } cases[] = {
        {"Ctrl+,", Qt::Key_Comma, Qt::ControlModifier, 1, 0, true},
        {"Ctrl+Q", Qt::Key_Q, Qt::ControlModifier, 1, 1, true},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, 1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        popover.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&popover));
        QTest::keyClick(&popover, c.key, c.modifiers);
        EXPECT_EQ(settings, c.settingsAfter);
        EXPECT_EQ(quits, c.quitsAfter);
        EXPECT_EQ(popover.isVisible(), c.stillShown);
    }
}

TEST(PopoverPlacement, EachCornerOfTheScreen) {
    const QRect available(0, 32, 1920, 1048);  // a panel on top
    const QSize size(352, 700);
    struct Case {
        const char* corner;
        QRect anchor;
        QPoint origin;
    };
    // Below the icon in the upper half (kept 8 inside the area), above it in the lower.
    const Case cases[] = {
        {"top left", QRect(0, 34, 24, 24), QPoint(8, 58)},
        {"top right", QRect(1896, 34, 24, 24), QPoint(1920 - 8 - 352, 58)},
        {"bottom left", QRect(0, 1052, 24, 24), QPoint(8, 1052 - 700)},
        {"bottom right", QRect(1896, 1052, 24, 24), QPoint(1920 - 8 - 352, 1052 - 700)},
        {"top middle", QRect(948, 34, 24, 24), QPoint(960 - 176, 58)},
        {"at the very top", QRect(948, 0, 24, 24), QPoint(960 - 176, 40)},
    };
    for (const auto& c : cases) {
        const QPoint origin = popoverOrigin(c.anchor, size, available);
        EXPECT_EQ(origin, c.origin) << c.corner;
        EXPECT_TRUE(available.adjusted(8, 8, -8, -8).contains(QRect(origin, size))) << c.corner;
    }
}

TEST(PopoverPlacement, TooTallKeepsTheTopInside) {
    const QRect available(0, 0, 800, 600);
    const QPoint origin = popoverOrigin(QRect(400, 590, 10, 10), QSize(352, 700), available);
    EXPECT_EQ(origin.y(), 8);
}

// The weakest contrast of the glyph's outline on a panel: for every pixel on the glyph's
// border (covered at least half, beside one that is not), the best contrast the glyph
// reaches within a short reach of it, the border pixel included.
double weakestOutline(const QImage& glyph, const QColor& panel) {
    QImage shown(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(panel);
    QPainter(&shown).drawImage(0, 0, glyph);
    const int reach = glyph.width() / 11;  // 2 px at 22, 4 at 44
    const auto covered = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < glyph.width() && y < glyph.height() && qAlpha(glyph.pixel(x, y)) >= 128;
    };
    double weakest = 100;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            if (!covered(x, y)) continue;
            if (covered(x - 1, y) && covered(x + 1, y) && covered(x, y - 1) && covered(x, y + 1)) continue;
            double best = 0;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                    if (covered(x + dx, y + dy))
                        best = std::max(best, contrast(shown.pixelColor(x + dx, y + dy), panel));
            weakest = std::min(weakest, best);
        }
    return weakest;
}

TEST(TrayGlyph, ReadsOnDarkAndLightPanelsInEveryStateAndSize) {
    std::vector<std::pair<std::string, MenuBarIcon::State>> states{{"off", MenuBarIcon::State::off()},
                                                                   {"paused", MenuBarIcon::State::paused()}};
    for (int phase = 0; phase <= 8; ++phase)
        for (const bool held : {false, true})
            states.emplace_back("phase " + std::to_string(phase) + (held ? " held" : ""),
                                MenuBarIcon::State::phase(phase, held));
    const QColor panels[] = {QColor::fromRgbF(0.15f, 0.15f, 0.15f), QColor::fromRgbF(0.93f, 0.93f, 0.93f)};
    // A sheet to look at: every state at 44 px, enabled and disabled, on both panels.
    QImage sheet(static_cast<int>(states.size()) * 52, 4 * 52, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&sheet);
        for (int row = 0; row < 4; ++row) {
            p.fillRect(QRect(0, row * 52, sheet.width(), 52), panels[row / 2]);
            for (std::size_t i = 0; i < states.size(); ++i)
                p.drawImage(static_cast<int>(i) * 52 + 4, row * 52 + 4,
                            trayGlyph(MenuBarIcon::layers(states[i].second), 44, row % 2 == 1));
        }
    }
    kit::RenderHarness::save(sheet, "tray-glyphs");
    for (const auto& [name, state] : states)
        for (const int pixels : {22, 44})
            for (const bool disabled : {false, true})
                for (const QColor& panel : panels) {
                    // The item looks disabled exactly while the tint is off.
                    if (disabled && !std::holds_alternative<MenuBarIcon::State::Off>(state.value)) continue;
                    const QImage glyph = trayGlyph(MenuBarIcon::layers(state), pixels, disabled);
                    ASSERT_EQ(glyph.size(), QSize(pixels, pixels));
                    EXPECT_GE(weakestOutline(glyph, panel), 3.0)
                        << name << " at " << pixels << " px" << (disabled ? ", disabled," : "") << " on panel "
                        << panel.name().toStdString();
                }
    // The same measure finds a plain black glyph unreadable on the dark panel.
    QImage black = MenuBarIcon::image(MenuBarIcon::State::phase(0, false), 22 / MenuBarIcon::boxSize);
    EXPECT_LT(weakestOutline(black, panels[0]), 3.0);
}

TEST(TrayGlyph, DisabledIsGreyAndTheIconCarriesBothSizes) {
    const auto layers = MenuBarIcon::layers(MenuBarIcon::State::phase(0, false));
    const QColor on = trayGlyph(layers, 22, false).pixelColor(11, 11);
    const QColor off = trayGlyph(layers, 22, true).pixelColor(11, 11);
    EXPECT_EQ(on.alpha(), 255);
    EXPECT_GE(on.lightness(), 240) << "a light ink";
    EXPECT_EQ(off.alpha(), 255);
    EXPECT_LT(off.lightness(), 200) << "disabled, a grey one";
    EXPECT_GT(off.lightness(), 120);
    const QIcon icon = trayIcon(layers, false);
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(22, 22), QSize(44, 44)}));
}

// The lines a label's text breaks into at its width.
QStringList linesOf(const QLabel& label) {
    QTextDocument document;
    document.setHtml(label.text());
    const QString text = document.toRawText();  // keeps the no-break spaces
    QTextLayout layout(text, label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

TEST(HiddenIconNotice, LargeButtonsAndNoWordAloneOnALine) {
    for (auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        HiddenIconNotice notice({}, appearance);
        notice.setAttribute(Qt::WA_DontShowOnScreen);
        notice.show();
        QCoreApplication::processEvents();
        int wrapped = 0;
        for (const QLabel* label : notice.findChildren<QLabel*>()) {
            if (!label->wordWrap()) continue;
            const QStringList lines = linesOf(*label);
            wrapped += lines.size() > 1;
            if (lines.size() > 1) {
                EXPECT_TRUE(lines.last().contains(QChar(0x00A0)) || lines.last().contains(' '))
                    << "one word alone: " << lines.join(" / ").toStdString();
            }
        }
        EXPECT_GT(wrapped, 0) << "the title wraps at this width";
        for (const QAbstractButton* b : notice.findChildren<QAbstractButton*>()) {
            const auto* button = dynamic_cast<const kit::SystemButton*>(b);
            if (!button) continue;
            EXPECT_GE(button->sizeHint().height(), 27) << button->text().toStdString();
            EXPECT_LE(button->sizeHint().height(), 32) << button->text().toStdString();
            EXPECT_GE(button->height(), 27) << button->text().toStdString();
        }
    }
}

TEST(HiddenIconNotice, TextsButtonsAndImages) {
    int quits = 0, settings = 0;
    std::vector<bool> closes;
    HiddenIconNotice notice(
        {[&] { ++quits; }, [&] { ++settings; }, [&](bool d) { closes.push_back(d); }, Shortcuts().toggle});
    QStringList texts;
    // Read as words: the last two of a paragraph are held together by a no-break space.
    for (auto* l : notice.findChildren<QLabel*>()) texts << QString(l->text()).replace(QChar(0x00A0), ' ');
    EXPECT_TRUE(texts.contains("Your desktop is not showing the Orvane icon"));
    EXPECT_TRUE(texts.contains("Your panel has no system tray, so the icon has nowhere to appear."));
    EXPECT_TRUE(texts.contains("Then quit Orvane and start it again."));
    QStringList buttons;
    for (auto* b : notice.findChildren<QAbstractButton*>()) buttons << b->text();
    EXPECT_FALSE(buttons.contains("Open Menu Bar Settings"));
    EXPECT_TRUE(buttons.contains("Quit Orvane"));

    // The keys box: the factory toggle's fixed keys and the emergency keys, a cap per part.
    QStringList rows;
    for (auto* w : notice.findChildren<QWidget*>())
        if (!w->accessibleName().isEmpty()) rows << w->accessibleName();
    EXPECT_EQ(rows, (QStringList{"Ctrl+Alt+Super+B", "Ctrl+Alt+Super+Backspace"}));
    const std::vector<QStringList> expectedCaps{{"Ctrl", "Alt", "Super", "B"}, {"Ctrl", "Alt", "Super", "Backspace"}};
    for (std::size_t i = 0; i < expectedCaps.size() && i < static_cast<std::size_t>(rows.size()); ++i) {
        const auto* caps = [&]() -> QWidget* {
            for (auto* w : notice.findChildren<QWidget*>())
                if (w->accessibleName() == rows[i]) return w;
            return nullptr;
        }();
        ASSERT_NE(caps, nullptr);
        QStringList capTexts;
        for (auto* cap : caps->findChildren<QLabel*>()) capTexts << cap->text();
        EXPECT_EQ(capTexts, expectedCaps[i]);
    }
    const struct {
        const char* keys;
        std::vector<QString> caps;
    } splits[] = {{"Alt+Super+T", {"Alt", "Super", "T"}},
                  {"F5", {"F5"}},
                  {"Ctrl++", {"Ctrl", "+"}},  // a key named "+" stays a cap of its own
                  {"+", {"+"}}};
    for (const auto& s : splits) EXPECT_EQ(HiddenIconNotice::keyCaps(QString::fromUtf8(s.keys)), s.caps) << s.keys;

    // The keys are the user's own: another toggle is named as it is, and without one only
    // the reset is listed.
    const struct {
        std::optional<Hotkey> toggle;
        QStringList rows;
    } toggles[] = {
        {Hotkey{Hotkey::keyP, Hotkey::Modifiers::control | Hotkey::Modifiers::option},
         {"Ctrl+Alt+P", "Ctrl+Alt+Super+Backspace"}},
        {std::nullopt, {"Ctrl+Alt+Super+Backspace"}},
    };
    for (const auto& t : toggles) {
        StatusItemController::NoticeActions actions;
        actions.toggle = t.toggle;
        HiddenIconNotice other(actions);
        QStringList named;
        for (auto* w : other.findChildren<QWidget*>())
            if (!w->accessibleName().isEmpty()) named << w->accessibleName();
        EXPECT_EQ(named, t.rows);
        if (!t.toggle) continue;
        // Built for each appearance, as the notice is.
        for (auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
            HiddenIconNotice shown(actions, appearance);
            kit::RenderHarness::save(
                kit::RenderHarness::render(shown, appearance,
                                           QSize(HiddenIconNotice::noticeWidth, shown.sizeHint().height())),
                appearance == kit::Appearance::dark ? "notice-own-toggle-dark" : "notice-own-toggle-light");
        }
    }

    // Where no key reaches Orvane, none is listed and the notice says why.
    {
        StatusItemController::NoticeActions actions;
        actions.toggle = Shortcuts().toggle;
        actions.keysUnavailable = "Global shortcuts are not available on this desktop.";
        HiddenIconNotice keyless(actions);
        QStringList named, said;
        for (auto* w : keyless.findChildren<QWidget*>())
            if (!w->accessibleName().isEmpty()) named << w->accessibleName();
        for (auto* l : keyless.findChildren<QLabel*>()) said << QString(l->text()).replace(QChar(0x00A0), ' ');
        EXPECT_TRUE(named.isEmpty()) << named.join(", ").toStdString();
        EXPECT_TRUE(
            said.contains("Global shortcuts are not available on this desktop. Start Orvane again to open its "
                          "settings."))
            << said.join(" | ").toStdString();
        EXPECT_FALSE(said.contains("Until then, these keys work anywhere"));
        for (auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
            HiddenIconNotice shown(actions, appearance);
            // As tall as its lines at its width, as the window opens.
            const int height = shown.hasHeightForWidth() ? shown.heightForWidth(HiddenIconNotice::noticeWidth)
                                                         : shown.sizeHint().height();
            kit::RenderHarness::save(
                kit::RenderHarness::render(shown, appearance, QSize(HiddenIconNotice::noticeWidth, height)),
                appearance == kit::Appearance::dark ? "notice-no-keys-dark" : "notice-no-keys-light");
        }
    }

    static_cast<QAbstractButton*>(notice.settingsButton())->click();
    notice.findChild<QCheckBox*>()->setChecked(true);
    static_cast<QAbstractButton*>(notice.settingsButton())->click();
    EXPECT_EQ(settings, 2);
    EXPECT_EQ(closes, (std::vector<bool>{false, true}));
    EXPECT_EQ(notice.width(), HiddenIconNotice::noticeWidth);

    for (auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        HiddenIconNotice shown({}, appearance);
        const QImage image = kit::RenderHarness::render(
            shown, appearance, QSize(HiddenIconNotice::noticeWidth, shown.sizeHint().height()));
        kit::RenderHarness::save(image, appearance == kit::Appearance::dark ? "notice-dark" : "notice-light");
        EXPECT_EQ(image.width(), HiddenIconNotice::noticeWidth * 2);
    }
}

}  // namespace
}  // namespace orvane::testing

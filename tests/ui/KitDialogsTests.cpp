// The kit's confirmation and the palette stock dialogs wear: dark in dark, light in light,
// and the keys a confirmation answers.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLayout>
#include <QTest>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/Dialogs.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"

namespace orvane::kit {
namespace {

TEST(ConfirmDialog, ReturnConfirmsEscCancelsAndItWearsTheAppearance) {
    QWidget parent;
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(isDark(appearance) ? "dark" : "light");
        setContext(parent, contextOf(&parent).withAppearance(appearance));
        ConfirmDialog dialog(QStringLiteral("Reset all settings?"),
                             QStringLiteral("Presets, schedule, display settings and statistics go back to the "
                                            "defaults. This cannot be undone."),
                             QStringLiteral("Reset"), &parent);
        EXPECT_EQ(dialog.titleText().text(), QStringLiteral("Reset all settings?"));
        EXPECT_EQ(dialog.confirmButton().text(), QStringLiteral("Reset"));
        EXPECT_TRUE(dialog.confirmButton().prominent());
        EXPECT_EQ(dialog.cancelButton().text(), QStringLiteral("Cancel"));
        const QImage image = RenderHarness::render(dialog, appearance);
        RenderHarness::save(image, QStringLiteral("confirm-reset-") + (isDark(appearance) ? "dark" : "light"));
        const QColor corner = image.pixelColor(4, 4);
        EXPECT_EQ(corner.rgb(), windowColor(appearance).rgb());
        // The whole explanation shows: the dialog is as tall as its lines need.
        EXPECT_GE(dialog.height(), dialog.layout()->totalHeightForWidth(dialog.width()));

        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        dialog.setResult(-1);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        dialog.cancelButton().click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        dialog.confirmButton().click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

// Qt's file dialog (where the desktop has no file-chooser portal) in the appearance: its
// lists and fields dark in dark, their text light, and the other way round in light.
TEST(DialogPalette, AStockFileDialogFollowsTheAppearance) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(isDark(appearance) ? "dark" : "light");
        QFileDialog dialog(nullptr, QStringLiteral("Export Settings"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        themeDialog(dialog, appearance);
        for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
            EXPECT_EQ(dialog.palette().color(role).lightness() < 128, isDark(appearance)) << role;
            EXPECT_GT(
                std::abs(dialog.palette().color(role).lightness() - dialog.palette().color(QPalette::Text).lightness()),
                110)
                << "text reads on role " << role;
        }
        const QImage image = RenderHarness::render(dialog, appearance, QSize(640, 420));
        RenderHarness::save(image, QStringLiteral("file-dialog-") + (isDark(appearance) ? "dark" : "light"));
        EXPECT_EQ(image.pixelColor(3, 3).lightness() < 128, isDark(appearance));
    }
}

}  // namespace
}  // namespace orvane::kit

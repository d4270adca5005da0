#include "desktop/InformationWindow.h"
#include "desktop/Form2.h"
#include "desktop/Pictures.h"
#include "fakes/FakePlatform.h"
#include "widgets/ClickableLabel.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

void click(QWidget* widget, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

struct Seen {
    QString caption;
    QSize client;
    bool image1 = false;
    bool image2 = false;
};

class InformationWindowTest : public ::testing::Test {
protected:
    InformationWindowTest() { main.setObjectName("Form1"); }

    FakePlatform fakes;
    QWidget main;
    Seen seen;
    std::function<void(Form2&)> whileOpen = [](Form2&) {};
    InformationWindow info{
        main, fakes.stacking, fakes.browser, [this](Form2& f) {
            f.Form_Load();
            seen = {f.windowTitle(), f.size(), !f.Image1->isHidden(), !f.Image2->isHidden()};
            whileOpen(f);
        }};
};

TEST_F(InformationWindowTest, HelpShowsTheWholeSheet) {
    info.Helpmnu_Click();
    EXPECT_EQ(seen.caption, "Help ...");
    // 7260 x 10215 twips outside, less the frame and title bar.
    EXPECT_EQ(seen.client, QSize(484 - 6, 681 - 19 - 6));
    EXPECT_FALSE(seen.image1);
    EXPECT_FALSE(seen.image2);
    EXPECT_EQ(fakes.stacking.calls.mid(0, 2), (QStringList{"on:Form1", "on:Form2"}));
}

TEST_F(InformationWindowTest, AboutShowsThePanelAndTheLink) {
    info.Aboutmnu_Click();
    EXPECT_EQ(seen.caption, "About ...");
    EXPECT_EQ(seen.client, QSize(452 - 6, 123 - 19 - 6));
    EXPECT_TRUE(seen.image1);
    EXPECT_TRUE(seen.image2);
}

TEST_F(InformationWindowTest, HelpAfterAboutHidesThePanelAgain) {
    info.Aboutmnu_Click();
    info.Helpmnu_Click();
    EXPECT_EQ(seen.caption, "Help ...");
    EXPECT_FALSE(seen.image1);
    EXPECT_FALSE(seen.image2);
}

TEST_F(InformationWindowTest, PicturesHaveTheirSizesAndPlaces) {
    whileOpen = [](Form2& f) {
        EXPECT_EQ(f.Image1->geometry(), QRect(0, 0, 413, 97));
        EXPECT_EQ(f.Image2->geometry(), QRect(104, 56, 198, 22));
        EXPECT_EQ(f.Image2->toolTip(), "Visit us online");
        EXPECT_EQ(f.Image2->cursor().shape(), Qt::CrossCursor);
        EXPECT_EQ(f.Image1->pixmap().size(), QSize(413, 97));
        EXPECT_EQ(f.Image2->pixmap().size(), QSize(198, 22));
    };
    info.Aboutmnu_Click();
    EXPECT_EQ(helpSheetPicture().size(), QSize(482, 654));
    EXPECT_FALSE(helpSheetPicture().pixelColor(10, 10) != QColor(Qt::white)) << "white ground";
}

// However the window is closed, the main window ends up on top again.
struct CloseCase {
    const char* name;
    std::function<void(Form2&)> close;
};

class CloseWayTest : public InformationWindowTest,
                     public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseWayTest, PutsTheMainWindowBackOnTop) {
    whileOpen = [](Form2& f) {
        f.show();
        GetParam().close(f);
        EXPECT_FALSE(f.isVisible());
    };
    info.Aboutmnu_Click();
    const QStringList& calls = fakes.stacking.calls;
    const int lastOn = int(calls.lastIndexOf("on:Form1"));
    const int lastOff = int(calls.lastIndexOf("off:Form1"));
    EXPECT_GT(lastOn, lastOff) << qPrintable(calls.join(' '));
    EXPECT_EQ(calls.count("off:Form1"), 1) << "the unload handler runs once";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CloseWayTest,
    ::testing::Values(CloseCase{"BackgroundClick", [](Form2& f) { click(&f, QPoint(440, 60)); }},
                      CloseCase{"NoticePanelClick",
                                [](Form2& f) { click(f.Image1, QPoint(10, 80)); }},
                      CloseCase{"TitleBarClose", [](Form2& f) { f.close(); }},
                      CloseCase{"DialogReject", [](Form2& f) { f.reject(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InformationWindowTest, LinkOpensTheSiteAndKeepsTheWindowOpen) {
    whileOpen = [](Form2& f) {
        f.show();
        click(f.Image2, QPoint(20, 10));
        click(f.Image2, QPoint(20, 10));
        EXPECT_TRUE(f.isVisible());
        f.close();
    };
    info.Aboutmnu_Click();
    EXPECT_EQ(fakes.browser.opened, (QStringList{websiteAddress(), websiteAddress()}));
    EXPECT_TRUE(websiteAddress().startsWith("https://"));
}

TEST_F(InformationWindowTest, AnyClickOnTheHelpSheetClosesIt) {
    whileOpen = [](Form2& f) {
        f.show();
        click(&f, QPoint(100, 600));
        EXPECT_FALSE(f.isVisible());
    };
    info.Helpmnu_Click();
    EXPECT_EQ(fakes.stacking.calls.last(), "on:Form1");
}

} // namespace
} // namespace tivrel::test

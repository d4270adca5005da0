// The main window as it is built: its controls with their places, texts and looks, the
// menus, the timers, the state after startup and the keyboard.
#include "ui/Form1Fixture.h"

#include "engine/RunWindow.h"
#include "platform/TickSource.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

#include <functional>
#include <vector>

namespace tivrel::test {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kDarkRed(192, 0, 0);

QColor textColour(const QWidget* widget) {
    return widget->palette().color(QPalette::Active, QPalette::WindowText);
}

// The caption a control shows, whatever kind of control it is.
QString caption(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    return QString();
}

// ---------------------------------------------------------------------------------------
// The window itself

TEST_F(Form1Test, WindowHasItsTitleAndCannotBeResizedMinimizedOrMaximized) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tivrel"));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.size(), form.minimumSize());

    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(form.windowType(), Qt::Window);
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(Form1Test, ClientAreaIsExactlyWhatTheMenuBarLeaves) {
    form.show();
    ASSERT_TRUE(waitUntil([this] { return form.isVisible(); }));
    QCoreApplication::processEvents();

    const QWidget* client = form.centralWidget();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->size(), QSize(4200 / 15, 4995 / 15));
    // No strip of the window is left over or cut off below the menu bar.
    EXPECT_EQ(client->geometry().top(), form.menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(form.size(), QSize(client->width(), form.menuBar()->height() + client->height()));
}

TEST_F(Form1Test, WindowIconHasBothSizes) {
    const QIcon icon = form.windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32))) << sizes.size() << " sizes";
    EXPECT_TRUE(sizes.contains(QSize(48, 48))) << sizes.size() << " sizes";
}

// ---------------------------------------------------------------------------------------
// Every control in its container, at its place, with its caption

using WidgetOf = std::function<QWidget*(const Form1&)>;

struct PlacedControl {
    const char* name;
    WidgetOf widget;
    WidgetOf container;
    QRect twips; // left, top, width, height
    const char* caption;
};

WidgetOf centralOf() {
    return [](const Form1& f) { return f.centralWidget(); };
}

const PlacedControl kPlacedControls[] = {
    {"Frame3", [](const Form1& f) { return f.Frame3; }, centralOf(), {120, 4080, 3975, 855}, ""},
    {"Command1",
     [](const Form1& f) { return f.Command1; },
     [](const Form1& f) { return f.Frame3; },
     {120, 240, 3735, 495},
     "&Press ENTER to Start"},
    {"Frame1",
     [](const Form1& f) { return f.Frame1; },
     centralOf(),
     {120, 3480, 3975, 615},
     "Button Configuration"},
    {"Option2_2",
     [](const Form1& f) { return f.Option2[2]; },
     [](const Form1& f) { return f.Frame1; },
     {1560, 285, 1095, 255},
     "Middle"},
    {"Option2_1",
     [](const Form1& f) { return f.Option2[1]; },
     [](const Form1& f) { return f.Frame1; },
     {2880, 285, 855, 255},
     "Right"},
    {"Option2_0",
     [](const Form1& f) { return f.Option2[0]; },
     [](const Form1& f) { return f.Frame1; },
     {360, 285, 855, 255},
     "Left"},
    {"Frame2",
     [](const Form1& f) { return f.Frame2; },
     centralOf(),
     {120, 120, 3975, 3255},
     "Speed"},
    {"HScroll1_4",
     [](const Form1& f) { return f.HScroll1[4]; },
     [](const Form1& f) { return f.Frame2; },
     {2040, 1560, 1455, 255},
     ""},
    {"HScroll1_3",
     [](const Form1& f) { return f.HScroll1[3]; },
     [](const Form1& f) { return f.Frame2; },
     {2040, 840, 1455, 255},
     ""},
    {"Check1",
     [](const Form1& f) { return f.Check1; },
     [](const Form1& f) { return f.Frame2; },
     {480, 2520, 1095, 255},
     "Amount"},
    {"HScroll1_2",
     [](const Form1& f) { return f.HScroll1[2]; },
     [](const Form1& f) { return f.Frame2; },
     {2040, 2880, 1455, 255},
     ""},
    {"HScroll1_1",
     [](const Form1& f) { return f.HScroll1[1]; },
     [](const Form1& f) { return f.Frame2; },
     {2040, 2040, 1455, 255},
     ""},
    {"HScroll1_0",
     [](const Form1& f) { return f.HScroll1[0]; },
     [](const Form1& f) { return f.Frame2; },
     {2040, 1800, 1455, 255},
     ""},
    {"Option1_1",
     [](const Form1& f) { return f.Option1[1]; },
     [](const Form1& f) { return f.Frame2; },
     {480, 480, 1815, 255},
     "Fast Delay"},
    {"Option1_0",
     [](const Form1& f) { return f.Option1[0]; },
     [](const Form1& f) { return f.Frame2; },
     {480, 1200, 1575, 255},
     "Slow Delay"},
    {"Label1_4",
     [](const Form1& f) { return f.Label1[4]; },
     [](const Form1& f) { return f.Frame2; },
     {1080, 1560, 1095, 255},
     "Hours"},
    {"HoursLbl",
     [](const Form1& f) { return f.HoursLbl; },
     [](const Form1& f) { return f.Frame2; },
     {360, 1560, 615, 255},
     "0"},
    {"Label1_3",
     [](const Form1& f) { return f.Label1[3]; },
     [](const Form1& f) { return f.Frame2; },
     {1080, 840, 1095, 255},
     "th / Sec."},
    {"SpeedLbl",
     [](const Form1& f) { return f.SpeedLbl; },
     [](const Form1& f) { return f.Frame2; },
     {360, 840, 615, 255},
     "100"},
    {"Label1_2",
     [](const Form1& f) { return f.Label1[2]; },
     [](const Form1& f) { return f.Frame2; },
     {1080, 2880, 1095, 255},
     "Clicks"},
    {"AmountLbl",
     [](const Form1& f) { return f.AmountLbl; },
     [](const Form1& f) { return f.Frame2; },
     {360, 2880, 615, 255},
     "1"},
    {"TimeLbl",
     [](const Form1& f) { return f.TimeLbl; },
     [](const Form1& f) { return f.Frame2; },
     {2160, 480, 1335, 255},
     "0"},
    {"Label2_0",
     [](const Form1& f) { return f.Label2[0]; },
     [](const Form1& f) { return f.Frame2; },
     {2160, 240, 1335, 255},
     "Total Clicks:"},
    {"SecLbl",
     [](const Form1& f) { return f.SecLbl; },
     [](const Form1& f) { return f.Frame2; },
     {360, 2040, 615, 255},
     "0"},
    {"MinLbl",
     [](const Form1& f) { return f.MinLbl; },
     [](const Form1& f) { return f.Frame2; },
     {360, 1800, 615, 255},
     "0"},
    {"Label1_1",
     [](const Form1& f) { return f.Label1[1]; },
     [](const Form1& f) { return f.Frame2; },
     {1080, 2040, 1095, 255},
     "Seconds"},
    {"Label1_0",
     [](const Form1& f) { return f.Label1[0]; },
     [](const Form1& f) { return f.Frame2; },
     {1080, 1800, 1095, 255},
     "Minutes"},
};

class PlacedControlTest : public Form1ParamTest<PlacedControl> {};

TEST_P(PlacedControlTest, SitsInItsContainerAtItsPlaceWithItsCaption) {
    const PlacedControl& control = GetParam();
    QWidget* widget = control.widget(form);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), control.container(form));
    const QRect& t = control.twips;
    EXPECT_EQ(widget->geometry(), fromTwips(t.x(), t.y(), t.width(), t.height()));
    EXPECT_EQ(caption(widget), QString::fromUtf8(control.caption));
    EXPECT_FALSE(widget->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Form1, PlacedControlTest, ::testing::ValuesIn(kPlacedControls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, Line1IsAHorizontalLineAcrossTheSpeedFrame) {
    ASSERT_NE(form.Line1, nullptr);
    EXPECT_EQ(form.Line1->parentWidget(), form.Frame2);
    EXPECT_EQ(form.Line1->frameShape(), QFrame::HLine);
    const QRect g = form.Line1->geometry();
    // From (240, 2400) to (3720, 2400) in twips.
    EXPECT_EQ(g.left(), 240 / 15);
    EXPECT_EQ(g.left() + g.width(), 3720 / 15);
    EXPECT_LE(g.top(), 2400 / 15);
    EXPECT_GE(g.bottom(), 2400 / 15);
    EXPECT_LT(g.height(), g.width());
}

// ---------------------------------------------------------------------------------------
// Looks

TEST_F(Form1Test, StartButtonIsTheBoldDefaultButtonWithATip) {
    const QFont font = form.Command1->font();
    EXPECT_EQ(font.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(form.Command1->toolTip(), QStringLiteral("Press ENTER to start"));
    EXPECT_TRUE(form.Command1->isDefault());
}

TEST_F(Form1Test, TotalClicksCaptionIsCentredInNormalSerif) {
    const QFont font = form.Label2[0]->font();
    EXPECT_EQ(font.family(), QStringLiteral("MS Serif"));
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 9.75);
    EXPECT_FALSE(font.bold());
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_EQ(form.Label2[0]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(Form1Test, ClickCountIsCentredInDarkRed) {
    EXPECT_EQ(textColour(form.TimeLbl), kDarkRed);
    EXPECT_EQ(form.TimeLbl->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(Form1Test, LeftButtonChoiceIsSelectedAndBlue) {
    EXPECT_TRUE(form.Option2[0]->isChecked());
    EXPECT_FALSE(form.Option2[1]->isChecked());
    EXPECT_FALSE(form.Option2[2]->isChecked());
    EXPECT_EQ(textColour(form.Option2[0]), kBlue);
    EXPECT_NE(textColour(form.Option2[1]), kBlue);
    EXPECT_NE(textColour(form.Option2[2]), kBlue);
}

TEST_F(Form1Test, FastDelayIsSelectedAndAmountIsCleared) {
    EXPECT_TRUE(form.Option1[1]->isChecked());
    EXPECT_FALSE(form.Option1[0]->isChecked());
    EXPECT_EQ(form.Check1->checkState(), Qt::Unchecked);
}

struct ValueRowLook {
    int row;
    const char* name;
    ValueLabel* Form1::*label;
};

const ValueRowLook kValueRowLooks[] = {
    {MinutesRow, "MinLbl", &Form1::MinLbl},      {SecondsRow, "SecLbl", &Form1::SecLbl},
    {AmountRow, "AmountLbl", &Form1::AmountLbl}, {SpeedRow, "SpeedLbl", &Form1::SpeedLbl},
    {HoursRow, "HoursLbl", &Form1::HoursLbl},
};

TEST_F(Form1Test, ValueLabelsAreBlueRightAlignedAndInviteAClick) {
    for (const ValueRowLook& look : kValueRowLooks) {
        SCOPED_TRACE(look.name);
        const ValueLabel* label = form.*look.label;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(form.valueLabel(look.row), label);
        EXPECT_EQ(textColour(label), kBlue);
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        EXPECT_EQ(label->toolTip(), QStringLiteral("Click to enter value"));
    }
}

// ---------------------------------------------------------------------------------------
// Scroll bars and timers

struct ScrollRange {
    int row;
    int minimum;
    int maximum;
};

TEST_F(Form1Test, ScrollBarsAreHorizontalWithTheirRangesAndSingleSteps) {
    const ScrollRange ranges[] = {
        {MinutesRow, 0, 60}, {SecondsRow, 0, 60}, {AmountRow, 1, 30000},
        {SpeedRow, 5, 999},  {HoursRow, 0, 60},
    };
    for (const ScrollRange& range : ranges) {
        SCOPED_TRACE(range.row);
        const QScrollBar* bar = form.HScroll1[range.row];
        EXPECT_EQ(bar->orientation(), Qt::Horizontal);
        EXPECT_EQ(bar->minimum(), range.minimum);
        EXPECT_EQ(bar->maximum(), range.maximum);
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), 1);
    }
}

TEST_F(Form1Test, TimersHaveTheirIntervalsAndStartDisabled) {
    ASSERT_EQ(fake.timers.size(), 2u);
    ASSERT_EQ(fake.clickTimers.size(), 1u);
    EXPECT_EQ(form.Timer2->interval(), 1000);
    EXPECT_EQ(form.Timer3->interval(), 15);
    EXPECT_FALSE(form.Timer1->isRunning());
    EXPECT_EQ(fake.clickTimers[0]->starts, 0);
    for (const TickSource* timer : {form.Timer2.get(), form.Timer3.get()})
        EXPECT_FALSE(timer->isEnabled());
    for (const FakeTickSource* timer : fake.timers)
        EXPECT_EQ(timer->enableCount, 0);
}

// ---------------------------------------------------------------------------------------
// State after startup

TEST_F(Form1Test, StartupEnablesOnlyTheSpeedRow) {
    struct Expected {
        const char* name;
        QWidget* widget;
        bool enabled;
    };
    const Expected expected[] = {
        {"SpeedLbl", form.SpeedLbl, true},
        {"HScroll1_3", form.HScroll1[3], true},
        {"HoursLbl", form.HoursLbl, false},
        {"MinLbl", form.MinLbl, false},
        {"SecLbl", form.SecLbl, false},
        {"AmountLbl", form.AmountLbl, false},
        {"HScroll1_0", form.HScroll1[0], false},
        {"HScroll1_1", form.HScroll1[1], false},
        {"HScroll1_2", form.HScroll1[2], false},
        {"HScroll1_4", form.HScroll1[4], false},
        {"Option1_0", form.Option1[0], true},
        {"Option1_1", form.Option1[1], true},
        {"Check1", form.Check1, true},
        {"Command1", form.Command1, true},
        {"Label1_0", form.Label1[MinutesRow], true},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.widget->isEnabled(), e.enabled);
    }
}

TEST_F(Form1Test, StartupValuesAreOnTheScrollBarsAndLabels) {
    struct Expected {
        int row;
        int value;
        const char* text;
    };
    const Expected expected[] = {
        {MinutesRow, 0, "0"},   {SecondsRow, 0, "0"}, {AmountRow, 1, "1"},
        {SpeedRow, 100, "100"}, {HoursRow, 0, "0"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.row);
        EXPECT_EQ(form.HScroll1[e.row]->value(), e.value);
        EXPECT_EQ(form.valueLabel(e.row)->text(), QString::fromUtf8(e.text));
    }
    EXPECT_EQ(form.TimeLbl->text(), QStringLiteral("0"));
    EXPECT_EQ(form.Command1->text(), ClickRun::kStartCaption);
}

// ---------------------------------------------------------------------------------------
// Menus

TEST_F(Form1Test, MenuBarHasFileThenThreeCommands) {
    const QList<QAction*> entries = form.menuBar()->actions();
    ASSERT_EQ(entries.size(), 4);
    ASSERT_NE(form.optioinsmnu, nullptr);
    EXPECT_EQ(entries[0], form.optioinsmnu->menuAction());
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(entries[1], form.Helpmnu);
    EXPECT_EQ(entries[1]->text(), QStringLiteral("H&elp"));
    EXPECT_EQ(entries[2], form.Aboutmnu);
    EXPECT_EQ(entries[2]->text(), QStringLiteral("&About"));
    EXPECT_EQ(entries[3], form.Show2mnu);
    EXPECT_EQ(entries[3]->text(), QStringLiteral("&Hide"));
    for (int i = 1; i < entries.size(); ++i)
        EXPECT_EQ(entries[i]->menu(), nullptr) << i;
}

TEST_F(Form1Test, FileMenuHasItsItemsBetweenSeparators) {
    const QList<QAction*> items = form.optioinsmnu->actions();
    const QList<QAction*> expected{
        form.Showmnu, form.bar3,   form.Startupatlogonmnu, form.bar5, form.AutoHideonstartupmnu,
        form.bar6,    form.Exitmnu};
    ASSERT_EQ(items, expected);
    const char* const texts[] = {
        "Show", nullptr, "Place shortcut in startup", nullptr, "Hide on startup", nullptr, "Exit"};
    for (int i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i]->isSeparator(), texts[i] == nullptr);
        if (texts[i]) {
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(texts[i]));
        }
    }
}

TEST_F(Form1Test, MenuEntriesAreEnabledVisibleUncheckedAndWithoutShortcuts) {
    QList<QAction*> all = form.menuBar()->actions();
    all += form.optioinsmnu->actions();
    for (const QAction* action : all) {
        SCOPED_TRACE(action->text().toStdString());
        EXPECT_TRUE(action->isEnabled());
        EXPECT_TRUE(action->isVisible());
        EXPECT_FALSE(action->isChecked());
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
}

// ---------------------------------------------------------------------------------------
// Keyboard: focus order

std::vector<QWidget*> focusableInChain(QWidget* start) {
    std::vector<QWidget*> chain;
    QWidget* widget = start;
    do {
        if (widget->focusPolicy() != Qt::NoFocus)
            chain.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != start && chain.size() < 100);
    return chain;
}

std::vector<std::string> names(const std::vector<QWidget*>& widgets) {
    std::vector<std::string> result;
    for (const QWidget* widget : widgets)
        result.push_back(widget ? widget->objectName().toStdString() : "(none)");
    return result;
}

TEST_F(Form1Test, FocusChainFollowsTheTabOrder) {
    const std::vector<QWidget*> expected{form.Option1[0],  form.Option1[1],  form.HScroll1[0],
                                         form.HScroll1[1], form.HScroll1[2], form.Check1,
                                         form.HScroll1[3], form.Option2[0],  form.Option2[1],
                                         form.Option2[2],  form.HScroll1[4], form.Command1};
    EXPECT_EQ(names(focusableInChain(form.Option1[0])), names(expected));
}

// A group of options is a single Tab stop, entered at the option that last had the focus;
// the arrow keys move inside it. Each walk starts on the selected delay option.
struct TabWalk {
    const char* name;
    bool slowDelay;
    bool amountOn;
    std::vector<const char*> stops; // where each Tab lands, once around the window
};

const TabWalk kTabWalks[] = {
    {"FastDelay", false, false, {"Check1", "HScroll1_3", "Option2_0", "Command1", "Option1_1"}},
    {"FastDelayWithAmount",
     false,
     true,
     {"HScroll1_2", "Check1", "HScroll1_3", "Option2_0", "Command1", "Option1_1"}},
    {"SlowDelay",
     true,
     false,
     {"HScroll1_0", "HScroll1_1", "Check1", "Option2_0", "HScroll1_4", "Command1", "Option1_0"}},
    {"SlowDelayWithAmount",
     true,
     true,
     {"HScroll1_0", "HScroll1_1", "HScroll1_2", "Check1", "Option2_0", "HScroll1_4", "Command1",
      "Option1_0"}},
};

class TabWalkTest : public Form1ParamTest<TabWalk> {};

TEST_P(TabWalkTest, TabSkipsDisabledControls) {
    const TabWalk& walk = GetParam();
    QRadioButton* delay = form.Option1[walk.slowDelay ? 0 : 1];
    delay->click();
    if (walk.amountOn)
        form.Check1->click();
    ASSERT_TRUE(showActive());
    delay->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), delay);

    std::vector<QWidget*> visited;
    for (std::size_t i = 0; i < walk.stops.size(); ++i) {
        typeKey(QApplication::focusWidget(), Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(names(visited), std::vector<std::string>(walk.stops.begin(), walk.stops.end()));
}

INSTANTIATE_TEST_SUITE_P(Form1, TabWalkTest, ::testing::ValuesIn(kTabWalks),
                         [](const auto& info) { return std::string(info.param.name); });

// An option group that never had the focus is entered at its selected option, from either
// side, and the window opens with the focus on its first stop, the selected "Fast Delay".
struct GroupEntry {
    const char* name;
    int delay;  // Option1 index chosen before the window shows
    int button; // Option2 index chosen before the window shows
    WidgetOf from;
    bool backwards;
    const char* lands;
};

const GroupEntry kGroupEntries[] = {
    {"FastDelayFromStart", 1, 0, [](const Form1& f) { return f.Command1; }, false, "Option1_1"},
    {"FastDelayBackFromCheck", 1, 0, [](const Form1& f) { return f.Check1; }, true, "Option1_1"},
    {"RightFromSpeed", 1, 1, [](const Form1& f) { return f.HScroll1[3]; }, false, "Option2_1"},
    {"MiddleBackFromStart", 1, 2, [](const Form1& f) { return f.Command1; }, true, "Option2_2"},
};

class GroupEntryTest : public Form1ParamTest<GroupEntry> {};

TEST_P(GroupEntryTest, LandsOnTheSelectedOption) {
    const GroupEntry& c = GetParam();
    form.Option1[c.delay]->setChecked(true);
    form.Option2[c.button]->setChecked(true);
    ASSERT_TRUE(showActive());
    EXPECT_EQ(names({QApplication::focusWidget()}), names({form.Option1[1]}))
        << "the focus at the start";

    c.from(form)->setFocus(Qt::OtherFocusReason);
    typeKey(QApplication::focusWidget(), c.backwards ? Qt::Key_Backtab : Qt::Key_Tab,
            c.backwards ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(names({QApplication::focusWidget()}), std::vector<std::string>{c.lands});
}

INSTANTIATE_TEST_SUITE_P(Form1, GroupEntryTest, ::testing::ValuesIn(kGroupEntries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, FocusedScrollBarShowsAMark) {
    ASSERT_TRUE(showActive());
    QScrollBar* speed = form.HScroll1[3];
    form.Check1->setFocus(Qt::TabFocusReason);
    const QImage without = speed->grab().toImage();
    speed->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(speed->hasFocus());
    const QImage with = speed->grab().toImage();
    EXPECT_NE(with, without) << "the focused scroll bar looks the same";
}

// ---------------------------------------------------------------------------------------
// Frames: the caption sits in the top line, as the control places assume

struct FrameCase {
    const char* name;
    std::function<QGroupBox*(const Form1&)> frame;
    WidgetOf firstRow; // the control nearest the top line
};

const FrameCase kFrames[] = {
    {"Speed", [](const Form1& f) { return f.Frame2; }, [](const Form1& f) { return f.Label2[0]; }},
    {"ButtonConfiguration", [](const Form1& f) { return f.Frame1; },
     [](const Form1& f) { return f.Option2[0]; }},
};

class FrameCaptionTest : public Form1ParamTest<FrameCase> {};

TEST_P(FrameCaptionTest, TopLineRunsThroughTheCaptionAboveTheFirstRow) {
    QGroupBox* frame = GetParam().frame(form);
    const QImage image = frame->grab().toImage();
    const QColor ground = frame->palette().color(QPalette::Window);
    // The top line, looked for at the right end where no caption is.
    const int x = image.width() - 8;
    int line = -1;
    for (int y = 0; y < image.height() && line < 0; ++y) {
        if (image.pixelColor(x, y) != ground)
            line = y;
    }
    const int captionHeight = frame->fontMetrics().height();
    ASSERT_GE(line, 0) << "no frame line";
    EXPECT_LE(line, captionHeight / 2 + 2) << "the line runs below the caption";
    EXPECT_LT(line + 2, GetParam().firstRow(form)->y()) << "the line touches the first row";
    bool captionDrawn = false;
    for (int y = 0; y < captionHeight && !captionDrawn; ++y) {
        for (int cx = 10; cx < 30 && !captionDrawn; ++cx)
            captionDrawn = y != line && image.pixelColor(cx, y) != ground;
    }
    EXPECT_TRUE(captionDrawn) << "no caption at the top";
}

INSTANTIATE_TEST_SUITE_P(Form1, FrameCaptionTest, ::testing::ValuesIn(kFrames),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Keyboard: ENTER and Alt+P press the start button

struct FocusedControl {
    const char* name;
    WidgetOf widget;
    bool slowDelay; // its row is usable only with "Slow Delay"
    bool amountOn;  // its row is usable only with "Amount" ticked
};

const FocusedControl kFocusedControls[] = {
    {"Option1_0", [](const Form1& f) { return f.Option1[0]; }, false, false},
    {"Option1_1", [](const Form1& f) { return f.Option1[1]; }, false, false},
    {"HScroll1_0", [](const Form1& f) { return f.HScroll1[0]; }, true, false},
    {"HScroll1_1", [](const Form1& f) { return f.HScroll1[1]; }, true, false},
    {"HScroll1_2", [](const Form1& f) { return f.HScroll1[2]; }, false, true},
    {"Check1", [](const Form1& f) { return f.Check1; }, false, false},
    {"HScroll1_3", [](const Form1& f) { return f.HScroll1[3]; }, false, false},
    {"Option2_0", [](const Form1& f) { return f.Option2[0]; }, false, false},
    {"Option2_1", [](const Form1& f) { return f.Option2[1]; }, false, false},
    {"Option2_2", [](const Form1& f) { return f.Option2[2]; }, false, false},
    {"HScroll1_4", [](const Form1& f) { return f.HScroll1[4]; }, true, false},
    {"Command1", [](const Form1& f) { return f.Command1; }, false, false},
};

struct EnterKey {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
};

const EnterKey kEnterKeys[] = {
    {"Return", Qt::Key_Return, Qt::NoModifier},
    {"Enter", Qt::Key_Enter, Qt::NoModifier},
    {"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier},
};

class EnterKeyTest : public Form1ParamTest<std::tuple<FocusedControl, EnterKey>> {
protected:
    void pressEnter() {
        const EnterKey& key = std::get<1>(GetParam());
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        typeKey(target, key.key, key.modifiers, QStringLiteral("\r"));
    }
};

TEST_P(EnterKeyTest, PressesTheStartButtonOnceWhateverHasTheFocus) {
    const FocusedControl& control = std::get<0>(GetParam());
    if (control.slowDelay) {
        form.Option1[0]->click();
        form.HScroll1[SecondsRow]->setValue(5); // a slow run needs some time to wait
    }
    if (control.amountOn)
        form.Check1->click();
    ASSERT_TRUE(showActive());
    QWidget* focused = control.widget(form);
    focused->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), focused);

    pressEnter();
    EXPECT_TRUE(running()) << form.Command1->text().toStdString();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(form.Timer3->isEnabled());
    EXPECT_EQ(form.Timer1->isRunning(), !control.slowDelay);
    EXPECT_EQ(form.Timer2->isEnabled(), control.slowDelay);

    pressEnter();
    EXPECT_FALSE(running()) << form.Command1->text().toStdString();
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fake.dialogs.messages[0].prompt.startsWith(ClickRun::kEnterPressed));
    EXPECT_FALSE(form.Timer1->isRunning());
    EXPECT_FALSE(form.Timer2->isEnabled());
    EXPECT_FALSE(form.Timer3->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Form1, EnterKeyTest,
                         ::testing::Combine(::testing::ValuesIn(kFocusedControls),
                                            ::testing::ValuesIn(kEnterKeys)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST_F(Form1Test, AltPPressesTheStartButton) {
    ASSERT_TRUE(showActive());
    form.Option1[1]->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), form.Option1[1]);

    typeKey(form.Option1[1], Qt::Key_P, Qt::AltModifier, QStringLiteral("p"));
    // The button shows itself pressed for a moment before it acts.
    EXPECT_TRUE(waitUntil([this] { return running(); })) << form.Command1->text().toStdString();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(form.Timer1->isRunning());
    EXPECT_TRUE(form.Timer3->isEnabled());
}

} // namespace
} // namespace tivrel::test

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

const QColor kDarkRed(192, 0, 0);

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
// Every control, menu and menu item carries its name, once, on a control of its kind

struct NamedControl {
    const char* name;
    const char* kind; // the class of the control
};

const NamedControl kNamedControls[] = {
    {"Frame1", "QGroupBox"},
    {"Frame2", "QGroupBox"},
    {"Frame3", "QGroupBox"},
    {"Command1", "QPushButton"},
    {"Option1_0", "QRadioButton"},
    {"Option1_1", "QRadioButton"},
    {"Option2_0", "QRadioButton"},
    {"Option2_1", "QRadioButton"},
    {"Option2_2", "QRadioButton"},
    {"Check1", "QCheckBox"},
    {"HScroll1_0", "tivrel::FocusScrollBar"},
    {"HScroll1_1", "tivrel::FocusScrollBar"},
    {"HScroll1_2", "tivrel::FocusScrollBar"},
    {"HScroll1_3", "tivrel::FocusScrollBar"},
    {"HScroll1_4", "tivrel::FocusScrollBar"},
    {"Label1_0", "QLabel"},
    {"Label1_1", "QLabel"},
    {"Label1_2", "QLabel"},
    {"Label1_3", "QLabel"},
    {"Label1_4", "QLabel"},
    {"Label2_0", "QLabel"},
    {"MinLbl", "tivrel::ClickableLabel"},
    {"SecLbl", "tivrel::ClickableLabel"},
    {"AmountLbl", "tivrel::ClickableLabel"},
    {"SpeedLbl", "tivrel::ClickableLabel"},
    {"HoursLbl", "tivrel::ClickableLabel"},
    {"TimeLbl", "tivrel::ClickCountLabel"},
    {"Line1", "QFrame"},
    {"optioinsmnu", "QMenu"},
    {"Showmnu", "QAction"},
    {"bar3", "QAction"},
    {"Startupatlogonmnu", "QAction"},
    {"bar5", "QAction"},
    {"AutoHideonstartupmnu", "QAction"},
    {"StartStopKeymnu", "QAction"},
    {"bar6", "QAction"},
    {"Exitmnu", "QAction"},
    {"Helpmnu", "QAction"},
    {"Aboutmnu", "QAction"},
    {"Show2mnu", "QAction"},
};

TEST_F(Form1Test, EveryControlIsFoundByItsNameAsItsKind) {
    for (const NamedControl& named : kNamedControls) {
        SCOPED_TRACE(named.name);
        EXPECT_STREQ(control<QObject>(form, named.name)->metaObject()->className(), named.kind);
    }
    // The arrays have no element beyond their last.
    EXPECT_EQ(controls<QRadioButton>(form, "Option1", 2).size(), 2u);
    EXPECT_EQ(controls<QRadioButton>(form, "Option2", 3).size(), 3u);
    EXPECT_EQ(controls<QScrollBar>(form, "HScroll1", kValueRows).size(), std::size_t(kValueRows));
    EXPECT_EQ(controls<QLabel>(form, "Label1", kValueRows).size(), std::size_t(kValueRows));
    EXPECT_EQ(controls<QLabel>(form, "Label2", 1).size(), 1u);
}

// A lookup that finds no single control of the kind asked for fails the test and says why.
struct FailedLookup {
    const char* name;
    std::function<void(const QWidget&)> lookup;
    const char* says;
};

const FailedLookup kFailedLookups[] = {
    {"NoSuchName", [](const QWidget& w) { control<QPushButton>(w, "Stop"); },
     "QPushButton \"Stop\" in window: no control has this name"},
    {"NameTwice", [](const QWidget& w) { control<QLabel>(w, "Twin"); },
     "QLabel \"Twin\" in window: 2 controls have this name"},
    {"OtherKind", [](const QWidget& w) { control<QLabel>(w, "Start"); },
     "QLabel \"Start\" in window: the control is a QPushButton"},
    {"ElementMissing", [](const QWidget& w) { controls<QLabel>(w, "Row", 3); },
     "QLabel \"Row_2\" in window: no control has this name"},
    {"ElementBeyondTheCount", [](const QWidget& w) { controls<QLabel>(w, "Row", 1); },
     "QLabel \"Row\" in window: more than 1 elements"},
};

class FailedLookupTest : public ::testing::TestWithParam<FailedLookup> {};

TEST_P(FailedLookupTest, ThrowsAndNamesTheControl) {
    QWidget window;
    window.setObjectName(QStringLiteral("window"));
    const auto add = [&window](QWidget* child, const char* name) {
        child->setParent(&window);
        child->setObjectName(QString::fromLatin1(name));
    };
    add(new QPushButton, "Start");
    add(new QLabel, "Twin");
    add(new QLabel, "Twin");
    add(new QLabel, "Row_0");
    add(new QLabel, "Row_1");
    try {
        GetParam().lookup(window);
        ADD_FAILURE() << "the lookup found a control";
    } catch (const ControlLookupFailure& failure) {
        EXPECT_STREQ(failure.what(), GetParam().says);
    }
}

INSTANTIATE_TEST_SUITE_P(Form1, FailedLookupTest, ::testing::ValuesIn(kFailedLookups),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Every control in its container, at its place, with its caption

// `container` names the control's parent; none stands for the window's client area.
struct PlacedControl {
    const char* name;
    const char* container;
    QRect twips; // left, top, width, height
    const char* caption;
};

const PlacedControl kPlacedControls[] = {
    {"Frame3", nullptr, {120, 4080, 3975, 855}, ""},
    {"Command1", "Frame3", {120, 240, 3735, 495}, "&Press ENTER to Start"},
    {"Frame1", nullptr, {120, 3480, 3975, 615}, "Button Configuration"},
    {"Option2_2", "Frame1", {1560, 285, 1095, 255}, "Middle"},
    {"Option2_1", "Frame1", {2880, 285, 855, 255}, "Right"},
    {"Option2_0", "Frame1", {360, 285, 855, 255}, "Left"},
    {"Frame2", nullptr, {120, 120, 3975, 3255}, "Speed"},
    {"HScroll1_4", "Frame2", {2040, 1560, 1455, 255}, ""},
    {"HScroll1_3", "Frame2", {2040, 840, 1455, 255}, ""},
    {"Check1", "Frame2", {480, 2520, 1095, 255}, "Amount"},
    {"HScroll1_2", "Frame2", {2040, 2880, 1455, 255}, ""},
    {"HScroll1_1", "Frame2", {2040, 2040, 1455, 255}, ""},
    {"HScroll1_0", "Frame2", {2040, 1800, 1455, 255}, ""},
    {"Option1_1", "Frame2", {480, 480, 1815, 255}, "Fast Delay"},
    {"Option1_0", "Frame2", {480, 1200, 1575, 255}, "Slow Delay"},
    {"Label1_4", "Frame2", {1080, 1560, 1095, 255}, "Hours"},
    {"HoursLbl", "Frame2", {360, 1560, 615, 255}, "0"},
    {"Label1_3", "Frame2", {1080, 840, 1095, 255}, "th / Sec."},
    {"SpeedLbl", "Frame2", {360, 840, 615, 255}, "100"},
    {"Label1_2", "Frame2", {1080, 2880, 1095, 255}, "Clicks"},
    {"AmountLbl", "Frame2", {360, 2880, 615, 255}, "1"},
    {"TimeLbl", "Frame2", {2160, 480, 1335, 255}, "0"},
    {"Label2_0", "Frame2", {2160, 240, 1335, 255}, "Total Clicks:"},
    {"SecLbl", "Frame2", {360, 2040, 615, 255}, "0"},
    {"MinLbl", "Frame2", {360, 1800, 615, 255}, "0"},
    {"Label1_1", "Frame2", {1080, 2040, 1095, 255}, "Seconds"},
    {"Label1_0", "Frame2", {1080, 1800, 1095, 255}, "Minutes"},
};

class PlacedControlTest : public Form1ParamTest<PlacedControl> {};

TEST_P(PlacedControlTest, SitsInItsContainerAtItsPlaceWithItsCaption) {
    const PlacedControl& placed = GetParam();
    QWidget* widget = control<QWidget>(form, placed.name);
    QWidget* container =
        placed.container ? control<QWidget>(form, placed.container) : form.centralWidget();
    EXPECT_EQ(widget->parentWidget(), container);
    const QRect& t = placed.twips;
    EXPECT_EQ(widget->geometry(), fromTwips(t.x(), t.y(), t.width(), t.height()));
    EXPECT_EQ(caption(widget), QString::fromUtf8(placed.caption));
    EXPECT_FALSE(widget->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Form1, PlacedControlTest, ::testing::ValuesIn(kPlacedControls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, Line1IsAHorizontalLineAcrossTheSpeedFrame) {
    const QFrame* line = control<QFrame>(form, "Line1");
    EXPECT_EQ(line->parentWidget(), control<QGroupBox>(form, "Frame2"));
    EXPECT_EQ(line->frameShape(), QFrame::HLine);
    const QRect g = line->geometry();
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
    const QPushButton* start = control<QPushButton>(form, "Command1");
    const QFont font = start->font();
    EXPECT_EQ(font.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(start->toolTip(), QStringLiteral("Press ENTER to start"));
    EXPECT_TRUE(start->isDefault());
}

TEST_F(Form1Test, TotalClicksCaptionIsCentredInNormalSerif) {
    const QLabel* totalClicks = control<QLabel>(form, "Label2", 0);
    const QFont font = totalClicks->font();
    EXPECT_EQ(font.family(), QStringLiteral("MS Serif"));
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 9.75);
    EXPECT_FALSE(font.bold());
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_EQ(totalClicks->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(Form1Test, ClickCountIsCentredInDarkRed) {
    const ClickCountLabel* count = control<ClickCountLabel>(form, "TimeLbl");
    EXPECT_EQ(textColour(count), kDarkRed);
    EXPECT_EQ(count->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(Form1Test, LeftButtonChoiceIsSelectedAndBlue) {
    const std::vector<QRadioButton*> buttons = controls<QRadioButton>(form, "Option2", 3);
    EXPECT_TRUE(buttons[0]->isChecked());
    EXPECT_FALSE(buttons[1]->isChecked());
    EXPECT_FALSE(buttons[2]->isChecked());
    EXPECT_EQ(textColour(buttons[0]), kBlue);
    EXPECT_NE(textColour(buttons[1]), kBlue);
    EXPECT_NE(textColour(buttons[2]), kBlue);
}

TEST_F(Form1Test, FastDelayIsSelectedAndAmountIsCleared) {
    const std::vector<QRadioButton*> delays = controls<QRadioButton>(form, "Option1", 2);
    EXPECT_TRUE(delays[1]->isChecked());
    EXPECT_FALSE(delays[0]->isChecked());
    EXPECT_EQ(control<QCheckBox>(form, "Check1")->checkState(), Qt::Unchecked);
}

struct ValueRowLook {
    int row;
    const char* name;
};

const ValueRowLook kValueRowLooks[] = {
    {MinutesRow, "MinLbl"}, {SecondsRow, "SecLbl"}, {AmountRow, "AmountLbl"},
    {SpeedRow, "SpeedLbl"}, {HoursRow, "HoursLbl"},
};

TEST_F(Form1Test, ValueLabelsAreBlueRightAlignedAndInviteAClick) {
    for (const ValueRowLook& look : kValueRowLooks) {
        SCOPED_TRACE(look.name);
        const ClickableLabel* label = control<ClickableLabel>(form, look.name);
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
        const QScrollBar* bar = control<QScrollBar>(form, "HScroll1", range.row);
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
    EXPECT_EQ(fake.timer2().interval(), 1000);
    EXPECT_EQ(fake.timer3().interval(), 15);
    EXPECT_FALSE(fake.timer1().isRunning());
    EXPECT_EQ(fake.clickTimers[0]->starts, 0);
    for (const TickSource* timer : {&fake.timer2(), &fake.timer3()})
        EXPECT_FALSE(timer->isEnabled());
    for (const FakeTickSource* timer : fake.timers)
        EXPECT_EQ(timer->enableCount, 0);
}

// ---------------------------------------------------------------------------------------
// State after startup

TEST_F(Form1Test, StartupEnablesOnlyTheSpeedRow) {
    struct Expected {
        const char* name;
        bool enabled;
    };
    const Expected expected[] = {
        {"SpeedLbl", true},    {"HScroll1_3", true},  {"HoursLbl", false},   {"MinLbl", false},
        {"SecLbl", false},     {"AmountLbl", false},  {"HScroll1_0", false}, {"HScroll1_1", false},
        {"HScroll1_2", false}, {"HScroll1_4", false}, {"Option1_0", true},   {"Option1_1", true},
        {"Check1", true},      {"Command1", true},    {"Label1_0", true},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(control<QWidget>(form, e.name)->isEnabled(), e.enabled);
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
        EXPECT_EQ(control<QScrollBar>(form, "HScroll1", e.row)->value(), e.value);
        EXPECT_EQ(form.valueLabel(e.row)->text(), QString::fromUtf8(e.text));
    }
    EXPECT_EQ(control<ClickCountLabel>(form, "TimeLbl")->text(), QStringLiteral("0"));
    EXPECT_EQ(control<QPushButton>(form, "Command1")->text(), ClickRun::kStartCaption);
}

// ---------------------------------------------------------------------------------------
// Menus

TEST_F(Form1Test, MenuBarHasFileThenThreeCommands) {
    const QList<QAction*> entries = form.menuBar()->actions();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0], control<QMenu>(form, "optioinsmnu")->menuAction());
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(entries[1], control<QAction>(form, "Helpmnu"));
    EXPECT_EQ(entries[1]->text(), QStringLiteral("H&elp"));
    EXPECT_EQ(entries[2], control<QAction>(form, "Aboutmnu"));
    EXPECT_EQ(entries[2]->text(), QStringLiteral("&About"));
    EXPECT_EQ(entries[3], control<QAction>(form, "Show2mnu"));
    EXPECT_EQ(entries[3]->text(), QStringLiteral("&Hide"));
    for (int i = 1; i < entries.size(); ++i)
        EXPECT_EQ(entries[i]->menu(), nullptr) << i;
}

TEST_F(Form1Test, FileMenuHasItsItemsBetweenSeparators) {
    const QList<QAction*> items = control<QMenu>(form, "optioinsmnu")->actions();
    QList<QAction*> expected;
    for (const char* name : {"Showmnu", "bar3", "Startupatlogonmnu", "bar5", "AutoHideonstartupmnu",
                             "StartStopKeymnu", "bar6", "Exitmnu"})
        expected << control<QAction>(form, name);
    ASSERT_EQ(items, expected);
    const char* const texts[] = {"Show",
                                 nullptr,
                                 "Place shortcut in startup",
                                 nullptr,
                                 "Hide on startup",
                                 "Start/Stop Key: F6...",
                                 nullptr,
                                 "Exit"};
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
    all += control<QMenu>(form, "optioinsmnu")->actions();
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
    const std::vector<std::string> expected{"Option1_0",  "Option1_1", "HScroll1_0", "HScroll1_1",
                                            "HScroll1_2", "Check1",    "HScroll1_3", "Option2_0",
                                            "Option2_1",  "Option2_2", "HScroll1_4", "Command1"};
    EXPECT_EQ(names(focusableInChain(control<QWidget>(form, "Option1_0"))), expected);
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
    QRadioButton* delay = control<QRadioButton>(form, "Option1", walk.slowDelay ? 0 : 1);
    delay->click();
    if (walk.amountOn)
        control<QCheckBox>(form, "Check1")->click();
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
    int delay;        // Option1 index chosen before the window shows
    int button;       // Option2 index chosen before the window shows
    const char* from; // the control with the focus before the key
    bool backwards;
    const char* lands;
};

const GroupEntry kGroupEntries[] = {
    {"FastDelayFromStart", 1, 0, "Command1", false, "Option1_1"},
    {"FastDelayBackFromCheck", 1, 0, "Check1", true, "Option1_1"},
    {"RightFromSpeed", 1, 1, "HScroll1_3", false, "Option2_1"},
    {"MiddleBackFromStart", 1, 2, "Command1", true, "Option2_2"},
};

class GroupEntryTest : public Form1ParamTest<GroupEntry> {};

TEST_P(GroupEntryTest, LandsOnTheSelectedOption) {
    const GroupEntry& c = GetParam();
    control<QRadioButton>(form, "Option1", c.delay)->setChecked(true);
    control<QRadioButton>(form, "Option2", c.button)->setChecked(true);
    ASSERT_TRUE(showActive());
    EXPECT_EQ(names({QApplication::focusWidget()}), names({control<QWidget>(form, "Option1_1")}))
        << "the focus at the start";

    control<QWidget>(form, c.from)->setFocus(Qt::OtherFocusReason);
    typeKey(QApplication::focusWidget(), c.backwards ? Qt::Key_Backtab : Qt::Key_Tab,
            c.backwards ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(names({QApplication::focusWidget()}), std::vector<std::string>{c.lands});
}

INSTANTIATE_TEST_SUITE_P(Form1, GroupEntryTest, ::testing::ValuesIn(kGroupEntries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, FocusedScrollBarShowsAMark) {
    ASSERT_TRUE(showActive());
    QScrollBar* speed = control<QScrollBar>(form, "HScroll1", 3);
    control<QCheckBox>(form, "Check1")->setFocus(Qt::TabFocusReason);
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
    const char* frame;
    const char* firstRow; // the control nearest the top line
};

const FrameCase kFrames[] = {
    {"Speed", "Frame2", "Label2_0"},
    {"ButtonConfiguration", "Frame1", "Option2_0"},
};

class FrameCaptionTest : public Form1ParamTest<FrameCase> {};

TEST_P(FrameCaptionTest, TopLineRunsThroughTheCaptionAboveTheFirstRow) {
    QGroupBox* frame = control<QGroupBox>(form, GetParam().frame);
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
    EXPECT_LT(line + 2, control<QWidget>(form, GetParam().firstRow)->y())
        << "the line touches the first row";
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
    bool slowDelay; // its row is usable only with "Slow Delay"
    bool amountOn;  // its row is usable only with "Amount" ticked
};

const FocusedControl kFocusedControls[] = {
    {"Option1_0", false, false},  {"Option1_1", false, false}, {"HScroll1_0", true, false},
    {"HScroll1_1", true, false},  {"HScroll1_2", false, true}, {"Check1", false, false},
    {"HScroll1_3", false, false}, {"Option2_0", false, false}, {"Option2_1", false, false},
    {"Option2_2", false, false},  {"HScroll1_4", true, false}, {"Command1", false, false},
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
    const FocusedControl& focus = std::get<0>(GetParam());
    QPushButton* const start = control<QPushButton>(form, "Command1");
    if (focus.slowDelay) {
        control<QRadioButton>(form, "Option1", 0)->click();
        // A slow run needs some time to wait.
        control<QScrollBar>(form, "HScroll1", SecondsRow)->setValue(5);
    }
    if (focus.amountOn)
        control<QCheckBox>(form, "Check1")->click();
    ASSERT_TRUE(showActive());
    QWidget* focused = control<QWidget>(form, focus.name);
    focused->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), focused);

    pressEnter();
    EXPECT_TRUE(running()) << start->text().toStdString();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(fake.timer3().isEnabled());
    EXPECT_EQ(fake.timer1().isRunning(), !focus.slowDelay);
    EXPECT_EQ(fake.timer2().isEnabled(), focus.slowDelay);

    pressEnter();
    EXPECT_FALSE(running()) << start->text().toStdString();
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fake.dialogs.messages[0].prompt.startsWith(ClickRun::kEnterPressed));
    EXPECT_FALSE(fake.timer1().isRunning());
    EXPECT_FALSE(fake.timer2().isEnabled());
    EXPECT_FALSE(fake.timer3().isEnabled());
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
    QRadioButton* const fast = control<QRadioButton>(form, "Option1", 1);
    fast->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), fast);

    typeKey(fast, Qt::Key_P, Qt::AltModifier, QStringLiteral("p"));
    // The button shows itself pressed for a moment before it acts.
    EXPECT_TRUE(waitUntil([this] { return running(); }))
        << control<QPushButton>(form, "Command1")->text().toStdString();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(fake.timer1().isRunning());
    EXPECT_TRUE(fake.timer3().isEnabled());
}

} // namespace
} // namespace tivrel::test

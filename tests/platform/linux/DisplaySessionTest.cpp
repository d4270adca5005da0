// Which display session the Linux program connects to, from the variables the desktop sets
// and the sessions the build has.
#include "platform/linux/DisplaySession.h"
#include "platform/null/NullPlatform.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

class NamedSession final : public DisplaySession {
public:
    explicit NamedSession(QString name) : name(std::move(name)) {}
    QByteArray qtPlatform() const override { return "offscreen"; }
    Mouse& mouse() override { return m_null.mouse; }
    PointerWatch& pointerWatch() override { return m_null.pointerWatch; }
    WindowStacking& stacking() override { return m_null.stacking; }
    const QString name;

private:
    NullPlatform m_null;
};

// Kinds that record the order they are asked in; only `connecting` connects.
struct Kinds {
    Kinds(const QStringList& built, const QString& connecting) {
        for (const QString& name : built) {
            kinds.push_back({
                .name = name,
                .offered =
                    [name](const SessionEnvironment& e) {
                        return name == "x11" ? !e.display.isEmpty() : !e.waylandDisplay.isEmpty();
                    },
                .connect = [this, name,
                            connecting](QString* error) -> std::unique_ptr<DisplaySession> {
                    tried << name;
                    if (name == connecting)
                        return std::make_unique<NamedSession>(name);
                    *error = name + " refused";
                    return nullptr;
                },
            });
        }
    }
    std::vector<DisplaySessionKind> kinds;
    QStringList tried;
};

struct ChoiceCase {
    const char* name;
    QStringList built;
    SessionEnvironment environment; // WAYLAND_DISPLAY, DISPLAY, XDG_SESSION_TYPE
    QString connecting;             // the kind that connects; the others refuse
    QStringList tried;              // in this order
    const char* outcome;            // the session connected to, or the start of the message
};

const ChoiceCase kChoices[] = {
    {"X11Desktop", {"x11"}, {"", ":0", "x11"}, "x11", {"x11"}, "x11"},
    {"WaylandDesktopThroughXWayland",
     {"x11"},
     {"wayland-0", ":0", "wayland"},
     "x11",
     {"x11"},
     "x11"},
    {"WaylandFirstOnAWaylandDesktop",
     {"x11", "wayland"},
     {"wayland-0", ":0", "wayland"},
     "wayland",
     {"wayland"},
     "wayland"},
    {"XWaylandWhereWaylandRefuses",
     {"x11", "wayland"},
     {"wayland-0", ":0", ""},
     "x11",
     {"wayland", "x11"},
     "x11"},
    {"X11DesktopThatAlsoNamesAWaylandDisplay",
     {"x11", "wayland"},
     {"wayland-0", ":0", "x11"},
     "wayland",
     {"x11", "wayland"},
     "wayland"},
    {"EveryKindRefusesTheBestOnesReasonIsTold",
     {"x11", "wayland"},
     {"wayland-0", ":0", "wayland"},
     "",
     {"wayland", "x11"},
     "wayland refused"},
    {"WaylandWithoutXWayland",
     {"x11"},
     {"wayland-0", "", "wayland"},
     "x11",
     {},
     "this Wayland session has no X11 display"},
    {"NoGraphicalSession", {"x11"}, {"", "", "tty"}, "x11", {}, "no graphical session found"},
};

class DisplaySessionChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DisplaySessionChoice, ConnectsToTheBestKindThatConnectsAndSaysWhyWhenNone) {
    const ChoiceCase& c = GetParam();
    Kinds kinds(c.built, c.connecting);
    QString error;
    const auto session = connectDisplaySession(c.environment, kinds.kinds, &error);
    EXPECT_EQ(kinds.tried, c.tried);
    const QString outcome = session ? static_cast<const NamedSession&>(*session).name
                                    : error.left(int(strlen(c.outcome)));
    EXPECT_EQ(outcome, QLatin1String(c.outcome)) << qPrintable(error);
}

INSTANTIATE_TEST_SUITE_P(Environments, DisplaySessionChoice, ::testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test

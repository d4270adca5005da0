#pragma once

#include "desktop/Form2.h"
#include "engine/RunWindow.h"
#include "fakes/FakePlatform.h"
#include "shell/AppShell.h"
#include "shell/Form1ShellView.h"
#include "shell/Form3.h"
#include "support/Controls.h"
#include "ui/Form1.h"

#include "engine/RunWindow.h"
#include "widgets/ClickableLabel.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <gtest/gtest.h>

namespace tivrel::test {

// The shell around a real main window, with every system service faked. The disclaimer is
// "shown" by a function the test sets: it gets the filled window and picks a button.
class ShellFixture : public ::testing::Test {
protected:
    ShellFixture() {
        fakes.files.texts.insert(QStringLiteral("/opt/tivrel/EULA.txt"),
                                 QStringLiteral("Terms line one\r\nTerms line two\r\n"));
    }

    std::optional<int> load() { return shell.Form_Load(); }
    void accept() { fakes.settings.values["EULA/TrialRead"] = "ACCEPTED"; }
    QString stored(const char* key) const { return fakes.settings.values.value(key); }
    // A menu item of the window, by its name: "Showmnu", "bar3", ...
    QAction* item(const char* name) const { return control<QAction>(form, name); }
    ClickCountLabel* clickCount() const { return control<ClickCountLabel>(form, "TimeLbl"); }

    FakePlatform fakes;
    Form1 form{fakes.platform};
    QMenu* const fileMenu = control<QMenu>(form, "optioinsmnu");
    std::function<void(Form3&)> onDisclaimer = [](Form3& f) { f.Command2->click(); };
    QStringList disclaimerTexts;
    int popups = 0;
    std::vector<int> quits;
    std::function<void(Form2&)> onInformation = [](Form2&) {};
    Form1ShellView window{form};
    AppShell shell{window, fakes.platform,
                   ShellUi{[this](Form3& f) {
                               disclaimerTexts << f.Text1->toPlainText();
                               onDisclaimer(f);
                           },
                           [this](Form2& f) { onInformation(f); },
                           [this](QMenu& menu) {
                               EXPECT_EQ(&menu, fileMenu);
                               ++popups;
                           },
                           [this](int code) { quits.push_back(code); },
                           [this] { return fakes.dialogs.open > 0; }}};
};

} // namespace tivrel::test

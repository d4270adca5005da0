#pragma once

// The program's dialog log (TIVREL_DIALOG_LOG): a line per message or input box as it
// opened, "kind TAB title TAB text", with backslash, tab, CR and LF written as \\, \t, \r
// and \n. The tests compare what the user was shown; the benchmark times when it was.

#include <QByteArray>
#include <QString>

#include <iosfwd>
#include <vector>

namespace tivrel::test {

struct DialogLine {
    QString kind; // "message", "input" or "key" (the start/stop key box: its text is the key now)
    QString title;
    QString text; // as the program gave it, CR LF included

    bool operator==(const DialogLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const DialogLine& line);

// One line without its line feed. A line that is not three fields comes back whole as the
// text of kind "unreadable line", so that a test shows it rather than skipping it.
DialogLine parseDialogLine(const QString& line);
// Every line of the log's text.
std::vector<DialogLine> parseDialogLog(const QByteArray& text);

} // namespace tivrel::test

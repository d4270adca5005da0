#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tivrel {

// The "Disclaimer Notice": the terms text with "&Decline" and "&Accept".
class Form3 final : public QDialog {
    Q_OBJECT
public:
    enum Outcome { Closed, Declined, Accepted };

    explicit Form3(QWidget* owner = nullptr);

    // Appends each line followed by a line break.
    void LoadText(const QStringList& lines);
    Outcome outcome() const { return m_outcome; }

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr; // "&Decline"
    QPushButton* Command2 = nullptr; // "&Accept"

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Outcome m_outcome = Closed;
};

} // namespace tivrel

#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;

namespace tivrel {

// A small box that takes the next key pressed, with its modifiers, as the start/stop key.
// "None" chooses no key, "Cancel" (or ESC) keeps the present one. Its buttons take no focus,
// so Tab, Space and ENTER are keys like any other here.
class KeyChoiceBox final : public QDialog {
public:
    KeyChoiceBox(const QString& current, QWidget* parent);

    // The key in portable text, empty for "None"; nothing when cancelled.
    std::optional<QString> choice() const { return m_choice; }

    // A key press as the box takes it: a modifier alone waits for the key it modifies.
    static std::optional<QString> keyName(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent* event) override;

private:
    std::optional<QString> m_choice;
};

} // namespace tivrel

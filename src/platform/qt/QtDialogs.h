#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace tivrel {

class QtDialogs final : public Dialogs {
public:
    // Boxes are centred over this window while it is shown.
    void setOwner(QWidget* owner) { m_owner = owner; }

    MessageAnswer messageBox(const QString& prompt, MessageButtons buttons, MessageIcon icon,
                             const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultAnswer) override;
    std::optional<QString> chooseKey(const QString& current) override;

private:
    QWidget* visibleOwner() const;
    QPointer<QWidget> m_owner;
};

} // namespace tivrel

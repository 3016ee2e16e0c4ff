#include "support/Mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>

namespace {

// The letter after a lone "&" ("&&" is an ampersand), lower case; null when there is none.
QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

class Owners {
public:
    void add(const QString& text) {
        const QChar key = MnemonicOf(text);
        if (!key.isNull()) owners_[key] << text;
    }
    QStringList doubled() const {
        QStringList faults;
        for (auto it = owners_.begin(); it != owners_.end(); ++it) {
            if (it.value().size() < 2) continue;
            QStringList quoted;
            for (const QString& owner : it.value()) quoted << QStringLiteral("„%1”").arg(owner);
            faults << QStringLiteral("Alt+%1: %2").arg(it.key().toUpper(), quoted.join(QStringLiteral(", ")));
        }
        return faults;
    }

private:
    QMap<QChar, QStringList> owners_;
};

}  // namespace

QStringList DoubledMnemonics(const QWidget& window) {
    Owners owners;
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy() && label->isVisibleTo(&window)) owners.add(label->text());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (button->isVisibleTo(&window)) owners.add(button->text());
    for (const QTabBar* tabs : window.findChildren<QTabBar*>()) {
        if (!tabs->isVisibleTo(&window)) continue;
        for (int i = 0; i < tabs->count(); ++i) owners.add(tabs->tabText(i));
    }
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* action : bar->actions()) owners.add(action->text());
    return owners.doubled();
}

QStringList DoubledMnemonics(const QMenu& menu) {
    Owners owners;
    for (const QAction* action : menu.actions())
        if (action->isVisible()) owners.add(action->text());
    return owners.doubled();
}

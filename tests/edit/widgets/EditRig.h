#pragma once

// What the edit-form tests share: a main window stand-in, a tax office file and lookups by name.

#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"
#include "ui/MainView.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <memory>

// Records RefreshView; the selection is set by the test.
class FakeMainView : public MainView {
public:
    void RefreshView(ViewMode requested) override {
        refreshes.push_back(requested);
        if (requested == ViewMode::vmTabela)
            mode = ViewMode::vmTabela;
    }
    ViewMode viewMode() const override { return mode; }
    std::vector<int> selectedRows() const override { return selection; }

    ViewMode mode = ViewMode::vmNone;
    std::vector<int> selection;
    std::vector<ViewMode> refreshes;
};

inline std::string Cp(const QString& text) {
    return cp1250::fromUnicode(text);
}

inline TaxpayerRecord Person(const QString& surname, const QString& name, const char* pesel = "") {
    TaxpayerRecord r;
    r.nazwisko = Cp(surname);
    r.imie1 = Cp(name);
    r.pesel = pesel;
    return r;
}

// The dialogs of one test over their own workspace, with "us.lst" holding `offices`.
struct EditRig {
    explicit EditRig(const QByteArray& offices = "US Zabrze\nUS Gliwice\n") {
        const QString path = dir.filePath(QStringLiteral("us.lst"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(offices);
        file.close();
        edit = std::make_unique<TFEdit>(workspace, view, ui, calendar, QStringList{path});
    }

    template <typename T = QLineEdit>
    T* find(const char* name) const {
        T* widget = edit->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QString text(const char* name) const { return find(name)->text(); }

    QTemporaryDir dir;
    Workspace workspace;
    FakeMainView view;
    ScriptedUserInterface ui;
    TFCalendar calendar;
    std::unique_ptr<TFEdit> edit;
};

// Leaves a box as the Tab key would.
inline void Leave(QWidget* box) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &event);
}

// Types text key by key, any letters (QTest::keyClicks takes Latin-1 only).
inline void TypeKeys(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

// Types into a box (through its validator) and leaves it.
inline void TypeAndLeave(QLineEdit* box, const QString& text) {
    box->clear();
    box->insert(text);
    Leave(box);
}

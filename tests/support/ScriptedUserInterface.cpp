#include "support/ScriptedUserInterface.h"

#include <QApplication>
#include <QPrinter>
#include <QWidget>
#include <QtGlobal>
#include <QtTest/QTest>

#include <algorithm>

namespace {

QString kindName(UiCall::Kind kind) {
    switch (kind) {
    case UiCall::Message: return QStringLiteral("Message");
    case UiCall::Ask: return QStringLiteral("Ask");
    case UiCall::Choose: return QStringLiteral("Choose");
    case UiCall::Secret: return QStringLiteral("Secret");
    case UiCall::OpenFile: return QStringLiteral("OpenFile");
    case UiCall::SaveFile: return QStringLiteral("SaveFile");
    case UiCall::ChooseFolder: return QStringLiteral("ChooseFolder");
    case UiCall::ChooseColor: return QStringLiteral("ChooseColor");
    case UiCall::Print: return QStringLiteral("Print");
    case UiCall::Help: return QStringLiteral("Help");
    case UiCall::Url: return QStringLiteral("Url");
    }
    return {};
}

// The text a call is matched by in count(kind, text).
QString matchText(const UiCall& call) {
    switch (call.kind) {
    case UiCall::Message:
    case UiCall::Ask:
    case UiCall::Choose:
    case UiCall::Secret: return call.text;
    case UiCall::OpenFile:
    case UiCall::SaveFile:
    case UiCall::ChooseFolder: return call.title;
    case UiCall::ChooseColor: return call.color.name();
    case UiCall::Print: return call.title;
    case UiCall::Help: return call.topic;
    case UiCall::Url: return call.url.toString();
    }
    return {};
}

void failLoudly(const QString& message) {
    const QByteArray text = message.toUtf8();
    if (QTest::currentTestFunction() != nullptr)
        QTest::qFail(text.constData(), __FILE__, __LINE__);
    else
        qFatal("%s", text.constData());
}

}  // namespace

QString UiCall::describe() const {
    QString detail;
    switch (kind) {
    case Message:
    case Ask:
    case Secret: detail = title + QStringLiteral(": ") + text; break;
    case Choose: detail = title + QStringLiteral(": ") + text + QStringLiteral(" [") + buttons.join(QStringLiteral(" | ")) + QStringLiteral("]"); break;
    case OpenFile:
    case SaveFile:
    case ChooseFolder: detail = title + QStringLiteral(" [") + filter + QStringLiteral("]"); break;
    case ChooseColor: detail = color.name(); break;
    case Print: detail = title; break;
    case Help: detail = topic; break;
    case Url: detail = url.toString(); break;
    }
    return kindName(kind) + QStringLiteral("(") + detail + QStringLiteral(")");
}

ScriptedUserInterface::ScriptedUserInterface() : onUnexpected(failLoudly) {}

int ScriptedUserInterface::count(UiCall::Kind kind) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const UiCall& c) { return c.kind == kind; }));
}

int ScriptedUserInterface::count(UiCall::Kind kind, const QString& text) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const UiCall& c) {
        return c.kind == kind && matchText(c) == text;
    }));
}

std::vector<UiCall> ScriptedUserInterface::callsOf(UiCall::Kind kind) const {
    std::vector<UiCall> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [&](const UiCall& c) { return c.kind == kind; });
    return result;
}

const UiCall& ScriptedUserInterface::last() const {
    Q_ASSERT(!calls.empty());
    return calls.back();
}

bool ScriptedUserInterface::allAnswersUsed() const {
    return answers.empty() && choices.empty() && fileNames.empty() && colors.empty() && printFiles.empty() &&
           secrets.empty();
}

QString ScriptedUserInterface::transcript() const {
    QStringList lines;
    for (const UiCall& call : calls) lines << call.describe();
    return lines.join(QLatin1Char('\n'));
}

namespace {

// A message box opens owned by the active window, below any window that stays on top: those
// visible at the moment would hide it.
QStringList VisibleStayOnTopWindows() {
    QStringList names;
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            names << widget->objectName();
    return names;
}

}  // namespace

void ScriptedUserInterface::message(const QString& title, const QString& text, MessageIcon icon) {
    UiCall call;
    call.kind = UiCall::Message;
    call.title = title;
    call.text = text;
    call.icon = icon;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) call.hiddenBehind = VisibleStayOnTopWindows();
    calls.push_back(call);
}

bool ScriptedUserInterface::ask(const QString& title, const QString& text, MessageIcon icon) {
    UiCall call;
    call.kind = UiCall::Ask;
    call.title = title;
    call.text = text;
    call.icon = icon;
    return answerFrom(answers, call, false);
}

int ScriptedUserInterface::askChoices(const QString& title, const QString& text, MessageIcon icon,
                                      const QStringList& buttons) {
    UiCall call;
    call.kind = UiCall::Choose;
    call.title = title;
    call.text = text;
    call.icon = icon;
    call.buttons = buttons;
    return answerFrom(choices, call, -1);
}

std::optional<QString> ScriptedUserInterface::openFile(const FileDialogRequest& request) {
    return fileDialog(UiCall::OpenFile, request);
}

std::optional<QString> ScriptedUserInterface::saveFile(const FileDialogRequest& request) {
    return fileDialog(UiCall::SaveFile, request);
}

std::optional<QString> ScriptedUserInterface::chooseFolder(const QString& title, const QString& initialPath) {
    FileDialogRequest request;
    request.title = title;
    request.initialPath = initialPath;
    return fileDialog(UiCall::ChooseFolder, request);
}

std::optional<QString> ScriptedUserInterface::fileDialog(UiCall::Kind kind,
                                                         const FileDialogRequest& request) {
    UiCall call;
    call.kind = kind;
    call.title = request.title;
    call.filter = request.filter;
    call.defaultSuffix = request.defaultSuffix;
    call.initialPath = request.initialPath;
    return answerFrom(fileNames, call, std::nullopt);
}

std::optional<QByteArray> ScriptedUserInterface::askSecret(const QString& title, const QString& text) {
    UiCall call;
    call.kind = UiCall::Secret;
    call.title = title;
    call.text = text;
    return answerFrom(secrets, call, std::nullopt);
}

std::optional<QColor> ScriptedUserInterface::chooseColor(const QColor& initial) {
    UiCall call;
    call.kind = UiCall::ChooseColor;
    call.color = initial;
    return answerFrom(colors, call, std::nullopt);
}

bool ScriptedUserInterface::choosePrinter(QPrinter& printer, const QString& title) {
    UiCall call;
    call.kind = UiCall::Print;
    call.title = title;
    calls.push_back(call);
    if (printFiles.empty()) {
        unexpected(call);
        return false;
    }
    const std::optional<QString> file = printFiles.front();
    printFiles.pop_front();
    if (!file) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*file);
    return true;
}

void ScriptedUserInterface::showHelp(const QString& topic) {
    UiCall call;
    call.kind = UiCall::Help;
    call.topic = topic;
    calls.push_back(call);
}

void ScriptedUserInterface::openUrl(const QUrl& url) {
    UiCall call;
    call.kind = UiCall::Url;
    call.url = url;
    calls.push_back(call);
}

void ScriptedUserInterface::unexpected(const UiCall& call) {
    const QString message = QStringLiteral("unexpected user-interface call with no answer queued: ") +
                            call.describe() + QStringLiteral("\ncalls so far:\n") + transcript();
    if (onUnexpected) onUnexpected(message);
}

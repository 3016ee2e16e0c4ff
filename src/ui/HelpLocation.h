#pragma once

#include <QString>
#include <QUrl>

// Help is a set of HTML pages in Polish: "index.html" is the contents page; a numbered topic
// (the import dialogs ask for topic "3") is the page "<topic>.html" when the folder has one, else
// the anchor "<topic>" of the contents page.
//
// The pages are looked for in the installed data folder (FISKON_DATA_DIR "/help") and, when the
// program runs from a build tree, in "resources/help" of the nearest enclosing folder of the
// program's folder that has one (the source tree).

// The folder holding "index.html", or an empty text when there is none.
QString findHelpFolder(const QString& installedFolder, const QString& programFolder);

// The address of a topic's page in a help folder.
QUrl helpTopicUrl(const QString& helpFolder, const QString& topic);

#pragma once

#include "forms/FormValues.h"

#include <QMainWindow>
#include <QString>

class FormDocument;
class FormPageView;
class FormPrintJobs;
class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QScrollArea;
class QWidget;

// The window of one shown form: its pages, zoom and scrolling, "Drukuj…", the save-as-PDF button
// (unless hidden), the list of findings under the pages. With the question flag a changed form
// asks, on closing, whether the changes stay.
class FormWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        QString caption;
        bool readOnly = false;
        bool hideSave = false;
        bool saveQuery = false;
    };

    FormWindow(FormDocument& document, FormPrintJobs& printJobs, QWidget* parent = nullptr);

    // Shows the window (again) with these options.
    void present(const Options& options);
    void bringToFront();
    // A line in the window's status bar (where a print went, for one).
    void showStatus(const QString& text);
    // Closes without the question (the form is being destroyed).
    void closeWithoutQuestion();

    FormPageView* pageView() const { return view_; }
    // Refreshes the pages and the findings after the values changed from outside.
    void refresh();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildToolBar();
    void applyZoomChoice(int index);
    void stepZoom(int direction);
    void saveAsPdf();
    void fillFindings();
    QString defaultCaption() const;

    FormDocument& document_;
    FormPrintJobs& printJobs_;
    FormPageView* view_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* findingsPanel_ = nullptr;
    QLabel* findingsLabel_ = nullptr;
    QListWidget* findingsList_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QAction* saveAction_ = nullptr;
    Options options_;
    FormValues valuesAtShow_;
    bool askOnClose_ = true;
    bool fitWidth_ = false;
};

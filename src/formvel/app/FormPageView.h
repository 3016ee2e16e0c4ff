#pragma once

#include <QWidget>

class FormDocument;
class QLineEdit;

// The pages of a form, one under another, at a zoom. Boxes with findings are marked. Unless the
// form is read-only, a click on a box edits it in place (Enter or leaving the box keeps the value,
// Escape drops it) and a click on a square ticks that choice.
class FormPageView : public QWidget {
    Q_OBJECT
public:
    explicit FormPageView(FormDocument& document, QWidget* parent = nullptr);

    void setZoom(double zoom);  // 1.0 = the page at its real size
    double zoom() const { return zoom_; }
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }

    // Highlights a box; the rectangle (in this widget) to scroll to.
    QRect focusBox(int boxIndex);
    // Starts editing a box (what a click does); false when the box cannot be edited.
    bool editBox(int boxIndex);
    // Ends the editing in progress, keeping the typed value.
    void commitEdit();

    QSize sizeHint() const override;

signals:
    // The user changed a value.
    void valuesChanged();
    // Editing moved to a box at this place (the window scrolls to it).
    void boxEdited(const QRect& area);
    // Ctrl + wheel: one zoom step up (1) or down (-1).
    void zoomStepRequested(int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double unitScale() const;  // widget pixels per page unit
    QRectF pageRect(int page) const;
    QRect widgetRect(int page, const QRectF& unitRect) const;
    void cancelEdit();
    void clickCoded(int boxIndex, int choice);
    void editNeighbour(int direction);

    FormDocument& document_;
    double zoom_ = 1.0;
    bool readOnly_ = false;
    int focusBox_ = -1;
    int editedBox_ = -1;
    QLineEdit* editor_ = nullptr;
};

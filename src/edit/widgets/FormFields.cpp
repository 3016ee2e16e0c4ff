#include "edit/widgets/FormFields.h"

#include "edit/TaxOfficeList.h"
#include "edit/Voivodeships.h"
#include "edit/widgets/Cp1250Validator.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QSortFilterProxyModel>

namespace {

// The offices of a tax-office box's own list that hold what was typed, in the list's order.
class TaxOfficeFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setTyped(const QString& typed) {
        typed_ = typed;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        return TaxOfficeList::matches(sourceModel()->index(row, 0, parent).data().toString(), typed_);
    }

private:
    QString typed_;
};

}  // namespace

QLineEdit* NewTextField(QWidget* parent, const char* name, int maxLength, bool upperCase) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    edit->setValidator(new Cp1250Validator(upperCase, edit));
    return edit;
}

QComboBox* NewVoivodeshipBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("eWoj"));
    box->setEditable(false);
    box->addItems(VoivodeshipNames());
    box->setMaxVisibleItems(16);
    box->setCurrentIndex(-1);
    return box;
}

QString ChosenVoivodeship(const QComboBox& box) {
    return box.currentIndex() >= 0 ? box.currentText() : QString();
}

QComboBox* NewTaxOfficeBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("eUS"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    box->lineEdit()->setMaxLength(100);
    box->lineEdit()->setValidator(new Cp1250Validator(false, box));
    // Typing any part of a name lists the offices that hold it; choosing one puts its name in the
    // box as the list has it.
    auto* filter = new TaxOfficeFilter(box);
    filter->setSourceModel(box->model());
    auto* completer = new QCompleter(filter, box);
    completer->setObjectName(QStringLiteral("eUSCompleter"));
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer->setMaxVisibleItems(12);
    box->setCompleter(completer);
    QObject::connect(box->lineEdit(), &QLineEdit::textEdited, filter, &TaxOfficeFilter::setTyped);
    // Said by a screen reader instead of whatever office the box holds now.
    box->setAccessibleName(QStringLiteral("Urząd skarbowy"));
    box->lineEdit()->setAccessibleName(QStringLiteral("Urząd skarbowy"));
    return box;
}

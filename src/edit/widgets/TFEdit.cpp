#include "edit/widgets/TFEdit.h"

#include "edit/AmountBoxRoles.h"
#include "edit/AmountCalculations.h"
#include "edit/DateText.h"
#include "edit/Pit40FromPit11.h"
#include "edit/TaxpayerStoring.h"
#include "edit/Voivodeships.h"
#include "edit/widgets/FormFields.h"
#include "edit/widgets/MaskedText.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/UndoableText.h"
#include "store/Cp1250.h"
#include "store/RegisterChangeRecording.h"
#include "store/Workspace.h"
#include "ui/FocusControl.h"
#include "ui/MainView.h"
#include "ui/ScreenFit.h"
#include "ui/UserInterface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabWidget>

#include <algorithm>

namespace {

// The amount boxes of one page as the calculations see them.
class PageBoxes : public AmountBoxes {
public:
    explicit PageBoxes(const std::map<int, QLineEdit*>& boxes) : boxes_(boxes) {}
    // Code page 1250 both ways, as in the record, so a message quoting a box reads right.
    std::string text(int box) const override { return cp1250::fromUnicode(boxes_.at(box)->text()); }
    void setText(int box, const std::string& text) override { ReplaceTextUndoably(*boxes_.at(box), cp1250::toUnicode(text)); }

private:
    const std::map<int, QLineEdit*>& boxes_;
};

// Unchecks every button of an exclusive group.
void CheckNone(QButtonGroup& group) {
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons())
        button->setChecked(false);
    group.setExclusive(true);
}

void CheckId(QButtonGroup& group, int id) {
    CheckNone(group);
    if (QAbstractButton* button = group.button(id))
        button->setChecked(true);
}

int CheckedId(const QButtonGroup& group, int none) {
    const int id = group.checkedId();
    return id == -1 ? none : id;
}

}  // namespace

TFEdit::TFEdit(Workspace& workspace, MainView& mainView, UserInterface& ui, TFCalendar& calendar,
               const QStringList& taxOfficeFiles, QWidget* parent)
    : QDialog(parent), workspace_(workspace), mainView_(mainView), ui_(ui), calendar_(calendar),
      formYear_(QByteArray(kFormYears[kDefaultFormYearIndex]).toInt()) {
    buildControls();
    // FormCreate: the voivodeships are in place; complete the hint of e38; load the offices.
    eBoxes_.at(38)->setToolTip(eBoxes_.at(38)->toolTip() +
                               QStringLiteral(" Należy wykazać przychody, do których zastosowano odliczenie\r\n"
                                              "kosztów uzyskania przychodów na podstawie art.22 ust.9 pkt.3 ustawy"));
    const TaxOfficeList::LoadResult loaded = taxOffices_.load(taxOfficeFiles);
    if (!loaded.error.isEmpty())
        ui_.message(QStringLiteral("Uwaga!"), loaded.error, MessageIcon::Warning);
    fillTaxOfficeCombo();
}

void TFEdit::fillTaxOfficeCombo() {
    const QString typed = eUS_->currentText();
    eUS_->clear();
    eUS_->addItems(taxOffices_.entries());
    eUS_->setCurrentIndex(-1);
    eUS_->setEditText(typed);
}

void TFEdit::replaceTaxOffices(const QStringList& offices) {
    taxOffices_.replace(offices);
    fillTaxOfficeCombo();
}

TaxpayerFormValues TFEdit::formValues() const {
    TaxpayerFormValues v;
    const auto text = [this](const char* name) { return MaskedFieldText(*texts_.at(QString::fromLatin1(name))); };
    v.us = eUS_->currentText();
    v.nip = text("eNIP");
    v.nazwisko = text("eNazwisko");
    v.imie1 = text("eImie");
    v.pesel = text("ePESEL");
    v.dataUr = text("eDataUr");
    v.kraj = text("eKraj");
    v.wojewodztwo = ChosenVoivodeship(*eWoj_);
    v.powiat = text("ePowiat");
    v.gmina = text("eGmina");
    v.ulica = text("eUlica");
    v.nrDomu = text("eNrDomu");
    v.nrLok = text("eNrLokalu");
    v.miejsc = text("eMiejscowosc");
    v.kodPoczt = text("eKodPocztowy");
    v.poczta = text("ePoczta");
    for (const auto& [box, edit] : eBoxes_)
        v.p11Box(box) = edit->text();
    for (const auto& [box, edit] : fBoxes_)
        v.p40Box(box) = edit->text();
    v.pit11_33 = CheckedId(*pit11Costs_, 0);
    v.pit40_34 = CheckedId(*pit40Costs_, 0);
    v.pit11_PITR = CheckedId(*pit11PitR_, 0);
    v.pit40_NIP3 = cbNIP3_->isChecked();
    v.pit40_PITR = cbPITR_->isChecked();
    v.pit11_od = text("eOd");
    v.pit11_do = text("eDo");
    v.email = text("eEmail");
    return v;
}

void TFEdit::setFormValues(const TaxpayerFormValues& v) {
    const auto set = [this](const char* name, const QString& value) {
        texts_.at(QString::fromLatin1(name))->setText(value);
    };
    eUS_->setCurrentIndex(-1);
    eUS_->setEditText(v.us);
    set("eNIP", v.nip);
    set("eNazwisko", v.nazwisko);
    set("eImie", v.imie1);
    set("ePESEL", v.pesel);
    set("eDataUr", v.dataUr);
    set("eKraj", v.kraj);
    eWoj_->setCurrentIndex(VoivodeshipIndex(v.wojewodztwo));
    set("ePowiat", v.powiat);
    set("eGmina", v.gmina);
    set("eUlica", v.ulica);
    set("eNrDomu", v.nrDomu);
    set("eNrLokalu", v.nrLok);
    set("eMiejscowosc", v.miejsc);
    set("eKodPocztowy", v.kodPoczt);
    set("ePoczta", v.poczta);
    if (!v.pit11_od.isEmpty())
        set("eOd", v.pit11_od);
    if (!v.pit11_do.isEmpty())
        set("eDo", v.pit11_do);
    set("eEmail", v.email);
    for (const auto& [box, edit] : eBoxes_)
        edit->setText(v.p11Box(box));
    for (const auto& [box, edit] : fBoxes_)
        edit->setText(v.p40Box(box));
    cbPITR_->setChecked(v.pit40_PITR);
    cbNIP3_->setChecked(v.pit40_NIP3);
    CheckId(*pit11PitR_, v.pit11_PITR);
    CheckId(*pit11Costs_, v.pit11_33);
    CheckId(*pit40Costs_, v.pit40_34);
}

void TFEdit::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FitToScreen(*this, size());  // the screen may have changed, or its scale
        FormShow();
        if (!focusTarget_.isEmpty()) FocusNamedControl(*this, focusTarget_);
        focusTarget_.clear();
    }
    QDialog::showEvent(event);
}

void TFEdit::FormShow() {
    ClearFields();
    eUS_->setEditText(QString());
    if (const TaxpayerRecord* current = workspace_.taxpayers.current())
        setFormValues(FormValuesFromRecord(*current));
    const QSignalBlocker blocker(PageControl1_);  // opening recomputes nothing
    PageControl1_->setCurrentIndex(0);
    eUS_->setFocus();
}

void TFEdit::ClearFields() {
    eUS_->setCurrentIndex(-1);
    eUS_->setEditText(QString());
    for (const auto& [name, edit] : texts_)
        edit->clear();
    eWoj_->setCurrentIndex(-1);
    for (const auto& [box, edit] : eBoxes_)
        edit->clear();
    for (const auto& [box, edit] : fBoxes_)
        edit->clear();
    CheckNone(*pit11Costs_);
    CheckNone(*pit40Costs_);
    cbNIP3_->setChecked(false);
    cbPITR_->setChecked(false);
    CheckId(*pit11PitR_, 0);
}

void TFEdit::Button1Click() {
    if (ui_.ask(QStringLiteral("Pytanie"), QStringLiteral("Czy na pewno usunąć informacje z wszystkich pól"),
                MessageIcon::Question))
        ClearFields();
}

void TFEdit::btnOKClick() {
    // Enter confirms while the caret may still be in an amount box: leave it first, as a click
    // on the button would, so no uncleaned amount is stored.
    if (auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget()); focused && exitKind(focused) != BoxExit::None)
        amountBoxLeft(focused);

    const TaxpayerFormValues values = formValues();
    if (!HasRequiredNames(values)) {
        ui_.message(QStringLiteral("Informacja"), MissingNamesMessage(), MessageIcon::Information);
        return;
    }
    if (const QString refused = EmailFieldMessage(values); !refused.isEmpty()) {
        ui_.message(QStringLiteral("Informacja"), refused, MessageIcon::Information);
        const QSignalBlocker blocker(PageControl1_);  // refusing recomputes nothing
        PageControl1_->setCurrentIndex(0);
        texts_.at(QStringLiteral("eEmail"))->setFocus();
        return;
    }
    {
        // Storing may merge the taxpayer with a namesake and moves the record to its place in
        // the order: one step the user can undo, whatever it touched.
        const int current = workspace_.taxpayers.currentIndex();
        RegisterChangeRecording recording(
            workspace_, current < 0 ? QStringLiteral("Dodanie podatnika") : QStringLiteral("Edycja danych podatnika"),
            RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(workspace_.taxpayers, RecordFromFormValues(values));
        recording.finish();
    }
    workspace_.markTaxpayersChanged();

    mainView_.RefreshView(mainView_.viewMode());
    if (!workspace_.taxpayers.empty() && mainView_.viewMode() == ViewMode::vmNone)
        mainView_.RefreshView(ViewMode::vmTabela);

    if (taxOffices_.addIfNew(values.us))
        fillTaxOfficeCombo();
    emit taxOfficesChanged(taxOffices_.entries());
    accept();
}

void TFEdit::btnAnulujClick() {
    reject();
}

void TFEdit::pickDate(QLineEdit& field) {
    // A date typed in the field, else the start of the form year: the period and most birth dates
    // are picked a few clicks away from there rather than from today.
    QDate start(formYear_, 1, 1);
    const QString text = MaskedFieldText(field);
    if (MaskedFieldFilled(text)) {
        const std::optional<QDate> date = ParseFieldDate(text);
        if (!date) {
            ui_.message(QStringLiteral("Błąd"), InvalidDateMessage(text), MessageIcon::Warning);
            return;
        }
        start = *date;
    }
    if (const std::optional<QDate> picked = calendar_.pick(start)) field.setText(FormatFieldDate(*picked));
    field.setFocus(Qt::OtherFocusReason);
}

bool TFEdit::isDateField(const QObject* watched) const {
    for (const char* name : {"eDataUr", "eOd", "eDo"})
        if (watched == texts_.at(QString::fromLatin1(name))) return true;
    return false;
}

void TFEdit::SpeedButton1Click() {
    pickDate(*texts_.at(QStringLiteral("eDataUr")));
}

void TFEdit::btn1Click() {
    pickDate(*texts_.at(QStringLiteral("eOd")));
}

void TFEdit::btn2Click() {
    pickDate(*texts_.at(QStringLiteral("eDo")));
}

TFEdit::BoxExit TFEdit::exitKind(const QLineEdit* box) const {
    const QString name = box->objectName();
    if (name.size() < 3)
        return BoxExit::None;
    bool ok = false;
    const int number = name.mid(1).toInt(&ok);
    if (!ok)
        return BoxExit::None;
    const std::map<int, QLineEdit*>& boxes = name.front() == u'e' ? eBoxes_ : fBoxes_;
    const auto found = boxes.find(number);
    if (found == boxes.end() || found->second != box)
        return BoxExit::None;
    const AmountBoxRole role = name.front() == u'e' ? Pit11BoxRole(number) : Pit40BoxRole(number);
    switch (role.exit) {
    case AmountBoxRole::Exit::None: return BoxExit::None;
    case AmountBoxRole::Exit::NormalizeOnly: return BoxExit::NormalizeOnly;
    case AmountBoxRole::Exit::RecomputePit11: return BoxExit::Pit11Page;
    case AmountBoxRole::Exit::RecomputePit40: return BoxExit::Pit40Page;
    }
    return BoxExit::None;
}

bool TFEdit::eventFilter(QObject* watched, QEvent* event) {
    // F4 or Alt+Down in a date field opens its picker, as in a drop-down list.
    if (event->type() == QEvent::KeyPress && isDateField(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier) ||
            (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier)) {
            pickDate(*static_cast<QLineEdit*>(watched));
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        // Only a move of the focus inside the form leaves a box; another window taking the
        // focus (a message, the user switching programs) does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            amountBoxLeft(box);
    }
    return QDialog::eventFilter(watched, event);
}

void TFEdit::amountBoxLeft(QLineEdit* box) {
    if (leaving_)
        return;  // a message box of this very exit took the focus
    leaving_ = true;
    switch (exitKind(box)) {
    case BoxExit::None: break;
    case BoxExit::NormalizeOnly: editExit(box); break;
    case BoxExit::Pit11Page: e34Change(box); break;
    case BoxExit::Pit40Page: fLiczOnExit(box); break;
    }
    leaving_ = false;
}

void TFEdit::normalize(QLineEdit* box) {
    const NormalizedAmount result = NormalizeAmount(cp1250::fromUnicode(box->text()));
    if (result.refused)
        ui_.message(InvalidAmountTitle(), result.message, MessageIcon::Warning);
    ReplaceTextUndoably(*box, cp1250::toUnicode(result.text));
}

void TFEdit::editExit(QLineEdit* box) {
    normalize(box);
}

void TFEdit::e34Change(QLineEdit* box) {
    normalize(box);
    recomputePit11();
}

void TFEdit::fLiczOnExit(QLineEdit* box) {
    normalize(box);
    recomputePit40();
}

void TFEdit::recomputePit11() {
    PageBoxes boxes(eBoxes_);
    try {
        RecomputePit11Page(boxes);
    } catch (const ConversionError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
    }
}

void TFEdit::recomputePit40() {
    PageBoxes boxes(fBoxes_);
    try {
        RecomputePit40Page(boxes);
    } catch (const ConversionError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
    }
}

void TFEdit::btnPrzepiszClick() {
    const PageBoxes pit11(eBoxes_);
    PageBoxes pit40(fBoxes_);
    std::vector<Pit40Transfer> plan;
    try {
        plan = PlanPit40FromPit11(pit11, pit40);
    } catch (const ConversionError& error) {
        ui_.message(QStringLiteral("Błąd"), error.message(), MessageIcon::Error);
        return;
    }
    const bool typedOver = std::any_of(plan.begin(), plan.end(), [](const Pit40Transfer& t) { return t.replaces; });
    const bool replace = typedOver && ui_.ask(QStringLiteral("Pytanie"),
                                              QStringLiteral("Niektóre pola strony PIT-40 mają już wpisane kwoty. "
                                                             "Zastąpić je kwotami z PIT-11/8B?\n\n"
                                                             "Nie – zostaną wypełnione tylko puste pola."),
                                              MessageIcon::Question);
    ApplyPit40FromPit11(plan, pit40, replace);
    recomputePit40();
}

void TFEdit::PageControl1Change() {
    // A box that cannot be read stops its page's pass; the other page is still recomputed.
    recomputePit40();
    recomputePit11();
}

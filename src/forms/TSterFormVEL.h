#pragma once

#include "forms/lform.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <stdexcept>

// The form controller's failure, with its Polish message (UTF-8 in what()).
class ESterFormVEL : public std::runtime_error {
public:
    explicit ESterFormVEL(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

inline const QString kFormNotActiveMessage = QStringLiteral("Operacja nie jest możliwa jeśli formularz nie jest aktywny");
inline const QString kFieldTransferMessage = QStringLiteral("Błąd transmisji danych do formularza.");
inline const QString kTaxScaleTransferMessage = QStringLiteral("Błąd transmisji skali podatkowej do formularza.");

// One form in the forms program: which form (Symbol), the data to fill in (Fields) and how to
// show or print it. Turns its properties into link requests, keeps the id of the form it has
// created and reads the form's field list and error list back after every show and print.
// Failures are raised as ESterFormVEL. Owned by the dialog it serves, which hands it the handle
// under which that dialog is known to the forms program (the parent of shows and prints).
//
// All texts are code page 1250 bytes.
class TSterFormVEL : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString SerwerPath MEMBER SerwerPath)
    Q_PROPERTY(QByteArray Symbol READ Symbol WRITE SetSymbol)
    Q_PROPERTY(QByteArray Identyfikator READ GetIdentyfikator WRITE SetIdentyfikator)
    Q_PROPERTY(bool Active READ GetActive WRITE SetActive)
    Q_PROPERTY(QByteArray Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool ReadOnly MEMBER ReadOnly)
    Q_PROPERTY(bool SaveQuery MEMBER SaveQuery)
    Q_PROPERTY(bool HideSave MEMBER HideSave)
    Q_PROPERTY(bool AutoFormat READ AutoFormat WRITE SetAutoFormat)
    Q_PROPERTY(bool Calculate READ Calculate WRITE SetCalculate)
    Q_PROPERTY(quint8 ErrorLevel MEMBER ErrorLevel)
    Q_PROPERTY(bool Convert MEMBER Convert)
    Q_PROPERTY(QByteArrayList Fields READ Fields WRITE SetFields)
    Q_PROPERTY(QByteArrayList ErrorList READ ErrorList)
    Q_PROPERTY(QByteArrayList TaxScale READ TaxScale WRITE SetTaxScale)
    Q_PROPERTY(bool SilentPrint MEMBER SilentPrint)
    Q_PROPERTY(qint32 PrinterIndex MEMBER PrinterIndex)

public:
    static constexpr int kSymbolLength = 20;
    static constexpr int kIdentifierLength = 50;
    static constexpr int kCaptionLength = 250;
    // Room for the field list or the error list read back from a form; a longer reply is refused.
    static constexpr int kReadBackCapacity = 65300;

    // Starts the link (the first controller does); AutoFormat, Calculate and Convert start True.
    explicit TSterFormVEL(QObject* owner = nullptr);
    // Destroys the form in the forms program.
    ~TSterFormVEL() override;

    // Plain properties.
    QString SerwerPath;  // directory of the forms server; empty: the normal discovery
    bool ReadOnly = false;   // show flag 64
    bool SaveQuery = false;  // show flag 128
    bool HideSave = false;   // show flag 16
    std::uint8_t ErrorLevel = 0;  // 1 adds option 4 to the field transfer
    bool Convert = true;          // option of the field read-back
    bool SilentPrint = false;
    std::int32_t PrinterIndex = 0;

    const QByteArray& Symbol() const { return symbol_; }
    void SetSymbol(const QByteArray& symbol);  // keeps the first 20 characters
    // The identifier in effect: the stored one, else Symbol + "_" + the program's file name, cut
    // to 50 characters (empty while Symbol is).
    QByteArray GetIdentyfikator() const;
    void SetIdentyfikator(const QByteArray& identifier);  // keeps the first 50 characters
    const QByteArray& Caption() const { return caption_; }
    void SetCaption(const QByteArray& caption);  // keeps the first 250 characters

    bool AutoFormat() const { return autoFormat_; }
    void SetAutoFormat(bool value);  // False also turns Calculate off
    bool Calculate() const { return calculate_; }
    void SetCalculate(bool value);  // True also turns AutoFormat on

    const QByteArrayList& Fields() const { return fields_; }
    void SetFields(const QByteArrayList& lines);  // marks the fields changed
    const QByteArrayList& ErrorList() const { return errorList_; }
    const QByteArrayList& TaxScale() const { return taxScale_; }
    void SetTaxScale(const QByteArrayList& lines);  // marks the tax scale changed

    // The window the forms program shows its form and dialogs under; 0 for none.
    void setParentWindow(WindowHandle window) { parentWindow_ = window; }
    WindowHandle parentWindow() const { return parentWindow_; }

    // True while a form exists in the forms program. SetActive(True) finds or starts the forms
    // program and creates the form (staying inactive, unreported, when either fails);
    // SetActive(False) destroys it (staying active when the forms program refuses).
    bool GetActive() const { return formId_ > 0; }
    void SetActive(bool value);
    FormId formId() const { return formId_; }

    // Sends the tax scale and the field list when changed, or always when forced.
    void SendData(bool force);
    // Reads the field list and the error list back from the form.
    void ReadData();
    // Shows the form (activating it first) and returns when the user has closed it: the handle of
    // the form's window, 0 when it could not be shown even on a fresh form.
    std::uint16_t Show();
    // The forms program's print dialog; true when the user confirmed. Needs an active form.
    bool PrintDialog();
    // Prints with the last page range and the print properties. Needs an active form.
    bool Print();
    // Ends one printed document of a batch; true when the forms program answered nonzero.
    bool FinishDocument();

    // The page range as the forms program last returned it (0: not known).
    std::uint16_t printFrom() const { return printFrom_; }
    std::uint16_t printTo() const { return printTo_; }

private:
    void Resend();
    void requireActive() const;

    QByteArray symbol_;
    QByteArray identifier_;
    QByteArray caption_;
    bool autoFormat_ = true;
    bool calculate_ = true;
    QByteArrayList fields_;
    QByteArrayList errorList_;
    QByteArrayList taxScale_;
    WindowHandle parentWindow_ = 0;

    FormId formId_ = 0;
    bool fieldsChanged_ = false;
    bool taxScaleChanged_ = false;
    std::uint16_t printFrom_ = 0;
    std::uint16_t printTo_ = 0;
    bool resendPending_ = false;
};

// The text of a list as it travels: each line followed by CR LF.
QByteArray JoinLines(const QByteArrayList& lines);
// A received text as lines: split at CR LF, CR or LF; a final line break ends the last line.
QByteArrayList SplitLines(const QByteArray& text);

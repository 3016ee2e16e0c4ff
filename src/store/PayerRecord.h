#pragma once

#include "store/FileStamp.h"
#include "store/FixedText.h"

#include <QString>

class IniDocument;

#include <cstdint>

// The payer (employer): the issuer whose data head every form.
struct PayerRecord {
    FixedText<13> NIP;
    FixedText<20> regon;   // from the database import only; not in the payer file
    std::uint8_t rodzaj = 0;  // 0 not chosen, 1 not a natural person, 2 a natural person
    FixedText<255> nazwa;
    FixedText<50> kraj;
    FixedText<50> wojewodztwo;
    FixedText<50> powiat;
    FixedText<50> gmina;
    FixedText<50> ulica;
    FixedText<15> nrDomu;
    FixedText<15> nrLok;
    FixedText<50> miejscowosc;
    FixedText<10> kodPoczt;
    FixedText<50> poczta;

    friend bool operator==(const PayerRecord&, const PayerRecord&) = default;
};

// Writes section "Platnik" into the file, keeping its other sections. Throws FileError. `written`
// (when given) receives the stamp of the bytes written.
void SaveToFile(const PayerRecord& payer, const QString& fileName, FileStamp* written = nullptr);
// Replaces every field but `regon` from section "Platnik". Throws ConversionError (record
// unchanged) when "Rodzaj" is not an integer, FileError when the file cannot be read.
void LoadFromFile(PayerRecord& payer, const QString& fileName);

// The payer's keys in section "Platnik" of a document, in the file's order.
void WritePayerSection(IniDocument& document, const PayerRecord& payer);
// Replaces every field but `regon` from section "Platnik" of a document read from `fileName`.
// Throws ConversionError (record unchanged) when "Rodzaj" is not an integer.
void ReadPayerSection(const IniDocument& document, PayerRecord& payer, const QString& fileName);
// LoadFromFile for a file the user chose as the payer's: one that does not exist or holds no
// section "Platnik" is not an empty payer but a FileError naming the file, the record unchanged.
// `read` (when given) receives the stamp of the bytes read, once the record took them.
void LoadPayerFile(PayerRecord& payer, const QString& fileName, FileStamp* read = nullptr);

// True when the file's first section is "Platnik" (blank lines, comments and a UTF-8 mark before it
// aside): a payer file rather than a taxpayer data file. Reads the file's first bytes only; false
// for a file that cannot be read.
bool LooksLikePayerFile(const QString& fileName);

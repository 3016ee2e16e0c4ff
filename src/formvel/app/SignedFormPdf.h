#pragma once

#include <QString>

class FormDocument;
class SigningKey;

// Writes the whole document into one PDF at `path`, signed with `key` (the reason naming the form
// and its tax year; the signature on the first page when `visible`). The file is drawn and signed
// in memory and only then written by the program's safe writer: when anything fails nothing is
// written, what stood at `path` stays, and the result is false with a Polish message.
bool WriteSignedFormPdf(const QString& path, const FormDocument& document, const SigningKey& key, bool visible,
                        QString* error);

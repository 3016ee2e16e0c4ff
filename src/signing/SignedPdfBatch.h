#pragma once

#include "formvel/FormPdfBatch.h"

#include <QString>

class SigningKey;

// Makes a PDF batch sign what it writes with `key`: each taxpayer's file (still locked with its
// password) or the one PDF, with `reason` and the signature invisible unless `visible`. The key
// must outlive the batch.
void SignBatchFiles(FormPdfBatch& batch, const SigningKey& key, const QString& reason, bool visible);

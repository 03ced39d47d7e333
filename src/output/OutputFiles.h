#pragma once

#include "files/SpectrumCsv.h"
#include "files/SweepCsv.h"
#include "screen/Annotations.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <stdexcept>

// What the output commands write, free of any window: the proposed file names and the files
// themselves (written whole or not at all). The text of the sample export comes from the
// CSV writers of files/, which the command-line capture shares.

// A file that could not be written; the text says which and why.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Trace_8_3_2009__14_05_09" (or "Spectre_..." for the spectrum view): day, month and
// hour without a leading zero, minutes and seconds on two digits.
QString ProposedFileName(bool spectrum, const ClockReading& clock);
// The same after another beginning: "Mesures_8_3_2009__14_05_09".
QString ProposedFileName(const QString& prefix, const ClockReading& clock);

// Writes bytes to the file through a temporary file that replaces it only when the whole
// content is written: a failure leaves an existing file as it was. Throws OutputError.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The image as a standard BMP file, whatever the name's extension. Throws OutputError.
void WriteBmpFile(const QString& path, const QImage& image);
QByteArray BmpBytes(const QImage& image);

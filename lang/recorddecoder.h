#ifndef RECORDDECODER_H
#define RECORDDECODER_H

#include <QString>
#include <QVector>

#include "lang/decodedprogram.h"
#include "lang/instructionrecord.h"
#include "lang/languagetables.h"

// Turns records read back from the device (targets are record positions)
// into source text whose targets are label numbers again. Every reference
// must land on a label record; the first check that fails is the message.
DecodedProgram decodeProgram(QVector<InstructionRecord> records, const QString &name,
                             const CodeTable &operandCodes, const CodeTable &comparisonCodes);

#endif

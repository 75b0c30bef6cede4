#ifndef INSTRUCTIONRECORD_H
#define INSTRUCTIONRECORD_H

#include <QByteArray>
#include <QString>

// Bit 7 of `oper`: the source (or right-hand side) is an operand whose code
// stands in arg1, not a number.
constexpr quint8 OperandFlag = 0x80;

// One compiled program line. Jump targets (If: arg3/arg4, Jmp: arg1) hold
// label numbers while compiling and record positions after resolution; an
// else-target of 0 means "no else branch".
struct InstructionRecord
{
    static constexpr int ImageSize = 14;

    quint8 func = 0;
    quint8 oper = 0;
    qint32 arg1 = 0;
    qint32 arg2 = 0;
    qint16 arg3 = 0;
    qint16 arg4 = 0;

    // The 14-byte little-endian device image.
    QByteArray toImage() const;
    // Unpacks an image; bytes missing from a short image read as 0.
    static InstructionRecord fromImage(const QByteArray &image);
    // The image followed by the low byte of the record's position: what a
    // write-line request carries.
    QByteArray writePayload(int position) const;
    // The compiler's listing line; the second "arg3" label stands for arg2,
    // as the device's tools have always printed it. Appending to the pane
    // text directly spares a long program a million temporary strings.
    QString listingLine() const;
    void appendListingLine(QString &out) const;

    friend bool operator==(const InstructionRecord &a, const InstructionRecord &b)
    {
        return a.func == b.func && a.oper == b.oper && a.arg1 == b.arg1 && a.arg2 == b.arg2
            && a.arg3 == b.arg3 && a.arg4 == b.arg4;
    }
    friend bool operator!=(const InstructionRecord &a, const InstructionRecord &b) { return !(a == b); }
};

#endif

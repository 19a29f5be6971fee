// The worked examples of worked_examples.tsv, compiled into the tests that read
// them: each as typed in a calculator window, with the result it shows or the
// fault it reports.
#pragma once

#include "calc/calculation.h"
#include "worked_examples_tsv.h" // kWorkedExamplesTsv, written by the build from the file

#include <QStringList>

#include <cstdio>
#include <vector>

struct WorkedExample {
    QString name;
    calc::Formula formula;
    QStringList inputs; // in the formula's order: Text1, Text2, ... of its window
    QString shown;      // the result field's text
    float value = 0;    // the result, exactly
    bool fault = false; // a fault check saw a fault: no result
    unsigned flags = 0; // then the calc::FpFlag flags it saw
    int check = 0;      // and which check it was
};

// The formulas' names, in calc::Formula's order.
inline const QStringList kFormulaNames{"blanking", "drawing", "bending"};

// A float's value written out in full, every digit: "100531.203125", "-0".
inline QString ExactDecimal(float value) {
    char digits[200]; // 39 digits before the point and 149 after at most
    std::snprintf(digits, sizeof digits, "%.149f", double(value));
    QString text = QString::fromLatin1(digits);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

inline std::vector<WorkedExample> WorkedExamples() {
    const QStringList flagNames{"invalid", "division-by-zero", "overflow"};
    const unsigned flags[] = {calc::FpInvalid, calc::FpDivByZero, calc::FpOverflow};
    std::vector<WorkedExample> examples;
    for (const QString& line :
         QString::fromUtf8(kWorkedExamplesTsv).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cell = line.split(QLatin1Char('\t'));
        const qsizetype formula = kFormulaNames.indexOf(cell.value(1));
        WorkedExample e{cell[0], calc::Formula(formula), cell.value(2).split(QLatin1Char(' ')),
                        cell.value(3)};
        e.fault = e.shown == QLatin1String("fault");
        bool read = false;
        if (e.fault) { // "overflow 1": the flags, then the check
            const QStringList fault = cell.value(4).split(QLatin1Char(' '));
            read = true;
            for (const QString& flag : fault[0].split(QLatin1Char('+'))) {
                const qsizetype known = flagNames.indexOf(flag);
                read = read && known >= 0;
                e.flags |= known >= 0 ? flags[known] : 0u;
            }
            bool number = false;
            e.check = fault.value(1).toInt(&number);
            read = read && number;
        } else {
            e.value = cell.value(4).toFloat(&read);
            read = read && cell[4] == ExactDecimal(e.value);
        }
        if (cell.size() < 5 || formula < 0 || !read)
            qFatal("worked_examples.tsv: %s", qPrintable(line));
        examples.push_back(e);
    }
    return examples;
}

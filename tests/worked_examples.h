// The worked examples of worked_examples.tsv, compiled into the tests that read
// them: each as typed in a calculator window, with the result it shows.
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
    float value;        // the result, exactly
    bool desktop;       // the example the desktop and speech tests type
};

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
    const QStringList formulas{"blanking", "drawing", "bending"}; // calc::Formula's order
    std::vector<WorkedExample> examples;
    for (const QString& line :
         QString::fromUtf8(kWorkedExamplesTsv).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cell = line.split(QLatin1Char('\t'));
        bool read = false;
        const float value = cell.value(4).toFloat(&read);
        const qsizetype formula = formulas.indexOf(cell.value(1));
        if (cell.size() < 5 || formula < 0 || !read || cell[4] != ExactDecimal(value))
            qFatal("worked_examples.tsv: %s", qPrintable(line));
        examples.push_back({cell[0], calc::Formula(formula), cell[2].split(QLatin1Char(' ')), cell[3], value,
                            cell.value(5) == QLatin1String("desktop")});
    }
    return examples;
}

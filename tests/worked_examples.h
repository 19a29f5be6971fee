// The worked examples of worked_examples.tsv, compiled into the tests that read
// them: each as typed in a calculator window, with the result it shows.
#pragma once

#include "calc/calculation.h"
#include "worked_examples_tsv.h" // kWorkedExamplesTsv, written by the build from the file

#include <QStringList>

#include <vector>

struct WorkedExample {
    QString name;
    calc::Formula formula;
    QStringList inputs; // in the formula's order: Text1, Text2, ... of its window
    QString shown;      // the result field's text
    float value;        // the result, exactly
    bool desktop;       // the example the desktop and speech tests type
};

inline std::vector<WorkedExample> WorkedExamples() {
    const QStringList formulas{"blanking", "drawing", "bending"}; // calc::Formula's order
    std::vector<WorkedExample> examples;
    for (const QString& line :
         QString::fromUtf8(kWorkedExamplesTsv).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cell = line.split(QLatin1Char('\t'));
        bool exact = false;
        const float value = cell.value(4).toFloat(&exact);
        const qsizetype formula = formulas.indexOf(cell.value(1));
        if (cell.size() < 5 || formula < 0 || !exact)
            qFatal("worked_examples.tsv: %s", qPrintable(line));
        examples.push_back({cell[0], calc::Formula(formula), cell[2].split(QLatin1Char(' ')), cell[3], value,
                            cell.value(5) == QLatin1String("desktop")});
    }
    return examples;
}

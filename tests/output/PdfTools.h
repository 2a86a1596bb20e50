#pragma once

// The poppler tools that read a printed PDF back (poppler-utils, installed by
// scripts/deps test).

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// The tool's standard output; a tool that fails or is missing fails the test.
inline QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF's text, with typographic ligatures (the "fi" of a file name) spelled out.
inline QString PdfText(const QString& pdf, const QStringList& options = {})
{
    return RunTool(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")})
        .normalized(QString::NormalizationForm_KC);
}

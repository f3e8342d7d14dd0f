// The sheets an interpreter hands out, kept for a test to look at, and the
// small helpers that read them.
#pragma once

#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/page.h>

#include <QByteArray>
#include <QString>

#include <vector>

namespace PreviewTest {

class CollectedPages : public Zanto::Preview::PageSink
{
public:
    void addPage(const Zanto::Preview::Page &page) override { pages.push_back(page); }
    void finish() override { finished = true; }

    std::vector<Zanto::Preview::Page> pages;
    bool finished = false;
};

// Runs bytes through an interpreter of setup, in pieces of chunk bytes
// (all at once for 0).
CollectedPages interpret(
    const Zanto::Preview::PrinterSetup &setup, const QByteArray &bytes, int chunk = 0);

// The characters of a line, in order, as text of the sheet's code page.
QString lineText(const Zanto::Preview::Page &page, const Zanto::Preview::Line &line);

// One letter per character of a line for its style: '.' plain, 'B' bold,
// 'I' italic, 'U' underline, '^' superscript, '_' subscript (the first
// that applies, in that order).
QByteArray styleText(const Zanto::Preview::Line &line);

} // namespace PreviewTest

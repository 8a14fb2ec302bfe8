#pragma once

#include <QList>

// How many files one pdftk call of the join may read. pdftk keeps every object of every input it reads, and of the
// document it writes, in its heap until the call ends; the bound keeps a call's share of that from growing with the
// list (a thousand pages' objects take about 10 MiB).
struct JoinBound
{
    int files = 1000;
};

// One pdftk call of the join. Its inputs, in page order, are page files (level 1) or the outputs of steps of the
// level before (level 2 and up); its output holds the pages firstPage to lastPage of the list.
struct JoinStep
{
    struct Input
    {
        int firstPage = 0;
        int lastPage = 0;
        bool isPageFile() const { return firstPage == lastPage; }
    };
    int level = 1;
    QList<Input> inputs;
    int firstPage = 0;
    int lastPage = 0;
    bool isLast = false; // its output is the joined document

    [[nodiscard]] int pages() const { return lastPage - firstPage + 1; }
};

// The steps that join the pages 0 to count-1 in page order, in the order they are to run: the page files in
// batches of at most bound.files (of even sizes), then those batches' outputs in batches again, until one step
// writes the whole document. A single page is one step of one input.
[[nodiscard]] QList<JoinStep> planJoin(int count, const JoinBound& bound);

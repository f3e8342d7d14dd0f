// The code page a print uses on its thread.
#pragma once

namespace Zanto {

class AnsiCodePage;

// While it lives, ansiCodePage() on this thread gives page (when page is not
// null): a component's print converts text and folds case in the
// component's own code page without touching the process-wide one, so that
// components on other threads keep theirs.
class ThreadCodePage
{
public:
    explicit ThreadCodePage(const AnsiCodePage *page);
    ~ThreadCodePage();

    ThreadCodePage(const ThreadCodePage &) = delete;
    ThreadCodePage &operator=(const ThreadCodePage &) = delete;

private:
    const AnsiCodePage *m_previous;
};

} // namespace Zanto

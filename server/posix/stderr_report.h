// What the native server has to say goes to standard error, one line a
// report with the local date and time in front (journald keeps the lines
// as they are): the status line's every change and every alert, which
// nobody can answer, so a question gets its first answer.
#pragma once
#include "common/alerts.h"
#include "server/engine/status_line.h"

// Writes text as one stamped line for each of its lines (line feeds and
// carriage returns end a line; empty lines are left out).
void ReportLine(const char *text);

class StderrAlerts : public Alerts {
  public:
    // "caption: text"; OK, or Yes to a question.
    AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                    AlertButtons buttons) override;
};

class StderrStatusView : public StatusLine::View {
  public:
    explicit StderrStatusView(const StatusLine &status) : status_(status) {}
    void StatusChanged() override { ReportLine(status_.Text()); }

  private:
    const StatusLine &status_;
};

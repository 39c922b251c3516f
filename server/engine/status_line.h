// The status line: the one line of text the main window shows, the latest
// socket error or file failure.
#pragma once

class StatusLine {
  public:
    // Told whenever the text changes (the main window repaints).
    class View {
      public:
        virtual ~View() = default;
        virtual void StatusChanged() = 0;
    };
    void SetView(View *view) { view_ = view; }

    // Copies text (cut to 1023 characters) and tells the view.
    void SetStatusText(const char *text);

    // The text to paint and its length in characters.
    const char *Text() const { return text_; }
    int Length() const;

  private:
    View *view_ = nullptr;
    char text_[1024] = "";
};

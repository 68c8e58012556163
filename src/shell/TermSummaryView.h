#pragma once

#include <QLabel>

class DataModule;

// The main window's read-only view of where the term stands.
class TermSummaryView : public QLabel {
    Q_OBJECT

public:
    explicit TermSummaryView(QWidget* parent = nullptr);

    // Reads the figures again.
    void refresh(DataModule& dm);
};

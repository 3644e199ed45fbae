#pragma once

#include <QList>
#include <QString>
#include <array>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quelto::editing {

class CoverView;
class StarRating;
class StatusShape;

// The main window's controls that show a record and the buttons that work on
// it, each named after its control. The window's layout fills the pointers;
// the display operations and the record commands use them.
struct RecordForm
{
    static constexpr int castSlots = 6;

    // Outside the tabs
    QLineEdit* title = nullptr;

    // Media tab
    QLineEdit* catalog = nullptr;
    QComboBox* mediatype = nullptr;
    QComboBox* vidfmt = nullptr;
    QComboBox* screenformat = nullptr;
    QComboBox* soundfmt = nullptr;
    QComboBox* mdLang = nullptr;

    // Movie tab
    QComboBox* mv_country = nullptr;
    QLineEdit* mv_year = nullptr;
    QLabel* mvRanking = nullptr;
    QComboBox* mv_lang = nullptr;
    QComboBox* mvColor = nullptr;
    QComboBox* mvSound = nullptr;
    QComboBox* mvGenre = nullptr;
    QComboBox* mvDirector = nullptr;
    QComboBox* mvProducer = nullptr;
    QComboBox* mvBook = nullptr;
    QComboBox* mvMusic = nullptr;
    std::array<QComboBox*, castSlots> mvCast{}; // upper row 0-2, lower row 3-5
    CoverView* cover = nullptr;

    // Personal tab: the program's own columns of archive (quelto_...)
    StarRating* myRating = nullptr; // quelto_my_rating, half stars
    QCheckBox* seen = nullptr;      // quelto_seen: a date, or seen without one
    QLineEdit* seenDate = nullptr;
    QPlainTextEdit* notes = nullptr;
    QComboBox* location = nullptr;
    QLineEdit* purchased = nullptr;
    QLineEdit* price = nullptr;
    QComboBox* condition = nullptr;
    QLineEdit* runningTime = nullptr; // minutes

    // Media tab: the tape (its length by media ID) and this movie's speed
    QComboBox* tapeLength = nullptr;
    QComboBox* speed = nullptr;

    // Status
    QLabel* labelRecords = nullptr;
    QLabel* filterset = nullptr;
    StatusShape* Shape1 = nullptr;

    // Record commands
    QPushButton* dbFirst = nullptr;
    QPushButton* dbPrev = nullptr;
    QPushButton* dbNext = nullptr;
    QPushButton* dbLast = nullptr;
    QPushButton* dbNew = nullptr;
    QPushButton* dbSave = nullptr;
    QPushButton* dbDelete = nullptr;
    QPushButton* dbNoFilter = nullptr;

    // IMDb tab: the title mirror and the title search
    QLabel* titlelabel = nullptr;
    QPushButton* searchbtn = nullptr;

    // The small button beside a drop-down that opens its option list.
    struct EditButton
    {
        QAbstractButton* button;
        QString list; // option-list table
        QComboBox* box;
    };
    std::vector<EditButton> editButtons;

    // The drop-downs filled from an option list, in fill order.
    QList<QComboBox*> boxesFor(const QString& list) const;
};

} // namespace quelto::editing

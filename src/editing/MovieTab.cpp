#include "editing/MovieTab.h"

#include "editing/FormWidgets.h"
#include "editing/CoverView.h"
#include "editing/RecordForm.h"
#include "editing/YearValidator.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QToolTip>

namespace quelto::editing {

MovieTab::MovieTab(editing::RecordForm& form, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("movieTab"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(6);

    // Columns: caption, field, edit buttons | gap | caption, field, edit button.
    // Every caption has a letter (Alt+letter moves to the field); the menus and
    // command buttons keep F E S O I H N V L D. Country and Year share Y, as
    // twelve captions cannot all have a letter of their own: Alt+Y goes to one,
    // then to the other.
    auto editButtons = [&](QComboBox* box, std::initializer_list<const char*> names, const char* list,
                           const QString& listTitle) {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        for (const char* name : names) {
            QToolButton* edit = form::editButton(QString::fromLatin1(name), listTitle, this);
            form.editButtons.push_back({edit, QString::fromLatin1(list), box});
            row->addWidget(edit);
        }
        row->addStretch(1);
        return row;
    };
    auto place = [&](int row, int column, const QString& caption, QComboBox*& box, const char* name,
                     std::initializer_list<const char*> buttons, const char* list, const QString& listTitle,
                     int span = 1) {
        box = form::comboBox(QString::fromLatin1(name), this);
        grid->addWidget(form::caption(caption, box, this), row, column);
        grid->addWidget(box, row, column + 1, 1, span);
        grid->addLayout(editButtons(box, buttons, list, listTitle), row, column + 1 + span);
    };

    place(0, 0, QStringLiteral("Countr&y"), form.mv_country, "mv_country", {"Image1", "Image18"}, "country",
          QStringLiteral("Country"));
    form.mv_year = form::textBox(QStringLiteral("mv_year"), this);
    // Four digits or nothing: a refused key says so beside the field.
    form.mv_year->setValidator(new YearValidator(form.mv_year));
    form.mv_year->setToolTip(YearValidator::Hint);
    connect(form.mv_year, &QLineEdit::inputRejected, form.mv_year, [year = form.mv_year] {
        QToolTip::showText(year->mapToGlobal(QPoint(0, year->height())), YearValidator::Hint, year);
    });
    grid->addWidget(form::caption(QStringLiteral("&Year"), form.mv_year, this), 0, 4);
    grid->addWidget(form.mv_year, 0, 5);

    place(1, 0, QStringLiteral("Orig. L&anguage"), form.mv_lang, "mv_lang", {"Image4"}, "olang",
          QStringLiteral("Language"));
    form.mvRanking = new QLabel(this);
    form.mvRanking->setObjectName(QStringLiteral("mvRanking"));
    // Read-only, but its mnemonic reaches it and the rating can be copied;
    // no Tab stop.
    form.mvRanking->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    form.mvRanking->setFocusPolicy(Qt::ClickFocus);
    QLabel* ratingCaption = form::caption(QStringLiteral("IMD&b-Rating"), this);
    ratingCaption->setBuddy(form.mvRanking);
    grid->addWidget(ratingCaption, 1, 4);
    // A read-only field: its text is what a screen reader says, so the
    // caption goes in the description.
    form.mvRanking->setAccessibleDescription(QStringLiteral("IMDb-Rating"));
    form.mvRanking->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    form.mvRanking->setMinimumHeight(form.mv_year->sizeHint().height());
    grid->addWidget(form.mvRanking, 1, 5);

    place(2, 0, QStringLiteral("&Color"), form.mvColor, "mvColor", {"Image6"}, "ocolor", QStringLiteral("Color"));
    place(2, 4, QStringLiteral("So&und"), form.mvSound, "mvSound", {"Image5"}, "osound", QStringLiteral("Sound"));
    place(3, 0, QStringLiteral("&Genre"), form.mvGenre, "mvGenre", {"Image7"}, "genre", QStringLiteral("Genre"));

    // People and companies take the whole width.
    place(4, 0, QStringLiteral("Di&rector"), form.mvDirector, "mvDirector", {"Image8"}, "director",
          QStringLiteral("Director"), 5);
    place(5, 0, QStringLiteral("&Produced by"), form.mvProducer, "mvProducer", {"Image9"}, "produce",
          QStringLiteral("Producer"), 5);
    place(6, 0, QStringLiteral("Boo&k"), form.mvBook, "mvBook", {"Image10"}, "book", QStringLiteral("Book"), 5);
    place(7, 0, QStringLiteral("&Music"), form.mvMusic, "mvMusic", {"Image11"}, "music", QStringLiteral("Music"), 5);

    // Cast: indices 0-2 in the upper row, 3-5 in the lower.
    static const char* const castButtons[editing::RecordForm::castSlots] = {"Image12", "Image13", "Image16",
                                                                            "Image14", "Image15", "Image17"};
    QLabel* castCaption = form::caption(QStringLiteral("Cas&t"), this);
    grid->addWidget(castCaption, 8, 0);
    for (int line = 0; line < 2; ++line) {
        auto* cast = new QHBoxLayout;
        cast->setSpacing(2);
        for (int i = line * 3; i < line * 3 + 3; ++i) {
            if (i % 3)
                cast->addSpacing(8);
            form.mvCast[i] = form::comboBox(QStringLiteral("mvCast_%1").arg(i), this);
            form.mvCast[i]->setMinimumContentsLength(4);
            form::nameField(form.mvCast[i], QStringLiteral("Cast %1").arg(i + 1));
            cast->addWidget(form.mvCast[i], 1);
            cast->addLayout(editButtons(form.mvCast[i], {castButtons[i]}, "cast", QStringLiteral("Cast")));
        }
        grid->addLayout(cast, 8 + line, 1, 1, 7);
    }
    castCaption->setBuddy(form.mvCast[0]);

    // The cover beside the movie's data, above the cast.
    form.cover = new editing::CoverView(this);
    grid->addWidget(form.cover, 0, 7, 8, 1);
    grid->setColumnMinimumWidth(6, 8);

    grid->setColumnStretch(1, 3);
    grid->setColumnMinimumWidth(3, 16);
    grid->setColumnStretch(5, 2);
    grid->setRowStretch(10, 1);
}

} // namespace quelto::editing

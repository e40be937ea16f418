// Image > Place frames…: a modal dialog with the scope, the operation and its options.
#include "ui/place_frames_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <array>

namespace dabro {

namespace {

constexpr std::array<const char*, 9> kAnchorTexts = {"top-left",    "top",    "top-right",
                                                     "left",        "centre", "right",
                                                     "bottom-left", "bottom", "bottom-right"};

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

class PlaceFramesDialog : public QDialog {
  public:
    PlaceFramesDialog(QWidget* owner, const PlaceDialogRequest& request) : QDialog(owner) {
        setObjectName(QStringLiteral("PlaceFramesDialog"));
        setWindowTitle(QStringLiteral("Place frames"));
        auto* form = new QFormLayout(this);
        scope_ = combo(this, "Scope",
                       {QStringLiteral("The selected image"),
                        QStringLiteral("The sequence's frames in this direction"),
                        QStringLiteral("The sequence's frames in every direction"),
                        QStringLiteral("The whole collection")});
        const std::array<bool, 4> offered = {request.imageScope, request.sequenceScopes,
                                             request.sequenceScopes, request.collectionScope};
        auto* model = static_cast<QStandardItemModel*>(scope_->model());
        for (int i = 3; i >= 0; --i) {
            model->item(i)->setEnabled(offered[i]);
            if (offered[i]) scope_->setCurrentIndex(i);
        }
        operation_ = combo(this, "Operation",
                           {QStringLiteral("Move by DX,DY"), QStringLiteral("Set top-left to X,Y"),
                            QStringLiteral("Anchor a point at X,Y"),
                            QStringLiteral("Fit box to image"), QStringLiteral("Copy from frame")});
        pair_ = new QLineEdit(this);
        pair_->setObjectName(QStringLiteral("Pair"));
        QStringList anchors;
        for (const char* a : kAnchorTexts) anchors << QString::fromLatin1(a);
        anchor_ = combo(this, "Anchor", anchors);
        anchor_->setCurrentIndex(static_cast<int>(AnchorPoint::Bottom));
        together_ = new QCheckBox(QStringLiteral("Together (one move per direction)"), this);
        copyFrame_ = new QSpinBox(this);
        copyFrame_->setRange(0, 9999);
        QStringList directions{QStringLiteral("Each image's own")};
        for (int d = 0; d < request.directions; ++d) directions << QString::number(d);
        copyDirection_ = combo(this, "CopyDirection", directions);
        axes_ =
            combo(this, "Axes",
                  {QStringLiteral("X and Y"), QStringLiteral("X only"), QStringLiteral("Y only")});
        form->addRow(QStringLiteral("Images:"), scope_);
        form->addRow(QStringLiteral("Operation:"), operation_);
        form->addRow(QStringLiteral("X,Y:"), pair_);
        form->addRow(QStringLiteral("Anchor:"), anchor_);
        form->addRow(QString(), together_);
        form->addRow(QStringLiteral("Copy from frame:"), copyFrame_);
        form->addRow(QStringLiteral("In direction:"), copyDirection_);
        form->addRow(QStringLiteral("Copy:"), axes_);
        problem_ = new QLabel(this);
        problem_->setObjectName(QStringLiteral("Problem"));
        problem_->setWordWrap(true);
        form->addRow(problem_);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        form->addRow(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &PlaceFramesDialog::accept_if_read);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(operation_, &QComboBox::currentIndexChanged, this, &PlaceFramesDialog::follow);
        follow();
    }

    PlaceChoice choice() const {
        PlaceChoice c;
        c.scope = static_cast<PlaceScope>(scope_->currentIndex());
        c.request.operation = static_cast<PlaceOperation>(operation_->currentIndex());
        c.request.anchor = static_cast<AnchorPoint>(anchor_->currentIndex());
        c.request.together = together_->isChecked();
        c.request.copyFrame = copyFrame_->value();
        if (copyDirection_->currentIndex() > 0)
            c.request.copyDirection = copyDirection_->currentIndex() - 1;
        c.request.axes = static_cast<PlaceAxes>(axes_->currentIndex());
        c.pair = pair_->text();
        return c;
    }

  private:
    bool uses_pair() const {
        const auto op = static_cast<PlaceOperation>(operation_->currentIndex());
        return op == PlaceOperation::By || op == PlaceOperation::Set ||
               op == PlaceOperation::Anchor;
    }

    // OK closes the dialog only with an X,Y that reads; else it says why and stays, so the
    // other choices are not lost.
    void accept_if_read() {
        if (uses_pair()) {
            const auto op = static_cast<PlaceOperation>(operation_->currentIndex());
            PlacePair pair;
            const Status read =
                parse_place_pair(pair_->text().toStdString(), op != PlaceOperation::By, pair);
            if (!read.ok()) {
                problem_->setText(QString::fromStdString(read.message()));
                pair_->setFocus();
                return;
            }
        }
        accept();
    }

    // Only the options of the chosen operation can be set.
    void follow() {
        const auto op = static_cast<PlaceOperation>(operation_->currentIndex());
        const bool anchor = op == PlaceOperation::Anchor;
        const bool copy = op == PlaceOperation::CopyFrom;
        pair_->setEnabled(uses_pair());
        problem_->clear();
        anchor_->setEnabled(anchor);
        together_->setEnabled(anchor);
        for (QWidget* w : {static_cast<QWidget*>(copyFrame_), static_cast<QWidget*>(copyDirection_),
                           static_cast<QWidget*>(axes_)})
            w->setEnabled(copy);
    }

    QComboBox* scope_;
    QComboBox* operation_;
    QLineEdit* pair_;
    QComboBox* anchor_;
    QCheckBox* together_;
    QSpinBox* copyFrame_;
    QComboBox* copyDirection_;
    QComboBox* axes_;
    QLabel* problem_;
};

}  // namespace

std::optional<PlaceChoice> ask_place_frames(QWidget* owner, const PlaceDialogRequest& request) {
    PlaceFramesDialog dialog(owner, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

}  // namespace dabro

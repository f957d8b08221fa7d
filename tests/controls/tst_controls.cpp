// Forms and controls on Qt's offscreen platform, driven by keys and mouse.

#include "ModalDriver.h"
#include "SampleForms.h"

#include "vcl/FormText.h"
#include "vcl/QtGraphics.h"
#include "vcl/Resources.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace vcl;
using namespace driver;

namespace {

// "A(A1,A2),B": texts of the nodes, children in parentheses.
QString Outline(const TTreeNode* First) {
    QStringList parts;
    for (const TTreeNode* n = First; n; n = n->GetNextSibling())
        parts.append(n->HasChildren() ? n->Text() + QLatin1Char('(') + Outline(n->GetFirstChild()) +
                                            QLatin1Char(')')
                                      : n->Text());
    return parts.join(QLatin1Char(','));
}

QLineEdit* EditOf(TControl* Control) {
    return qobject_cast<QLineEdit*>(Control->Widget());
}

QTreeView* ViewOf(TTreeView* Tree) {
    return qobject_cast<QTreeView*>(Tree->Widget());
}

void ClickNode(TTreeView* Tree, TTreeNode* Node) {
    Click(ViewOf(Tree)->viewport(), Tree->NodeRect(Node).center());
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void formFromDescription();
    void writesBackWhatItRead();
    void savesPictures();
    void keyEndsDialog_data();
    void keyEndsDialog();
    void closingFromFrameIsNotOk_data();
    void closingFromFrameIsNotOk();
    void hidingAModalFormEndsItsLoop();
    void passwordShowsOneStarPerCharacter();
    void tabOrder();
    void activeControlOnEachShow();
    void focusComesBackWhereItWas();
    void editOnChange();
    void comboEditButton();
    void errorInHandlerEndsModalLoop_data();
    void errorInHandlerEndsModalLoop();
    void nestedModalForms();
    void bmClick_data();
    void bmClick();
    void treePlacement_data();
    void treePlacement();
    void treeEvents();
    void screenCursor_data();
    void screenCursor();
    void fontFallback_data();
    void fontFallback();
    void fontFollowsParent();
    void destroyingControls();
    void scaledToScreen();
};

void ControlsTest::init() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void ControlsTest::cleanup() {
    Application->DestroyComponents();
    Screen->Cursor = crDefault;
}

void ControlsTest::formFromDescription() {
    for (const char* name :
         {"TForm", "TPanel", "TLabel", "TEdit", "TButton", "TBitBtn", "TTreeView", "TComboEdit"})
        QVERIFY2(GetClass(QLatin1String(name)), name);
    auto* form = new TSampleForm(Application);
    QCOMPARE(form->Name(), QStringLiteral("SampleForm"));
    QCOMPARE(form->Caption(), QStringLiteral("Connect To Sample Server"));
    QCOMPARE(form->Widget()->windowTitle(), form->Caption());
    QCOMPARE(form->ClientWidth(), 252);
    QCOMPARE(form->ClientHeight(), 144);
    QCOMPARE(form->Position(), poScreenCenter);
    for (TControl* c : std::initializer_list<TControl*>{form->Panel1, form->OKBtn, form->CancelBtn,
                                                        form->User, form->Secret, form->Label1,
                                                        form->Label2, form->Label3, form->Host})
        QVERIFY(c);
    QCOMPARE(form->Host->Parent(), form->Panel1);
    QCOMPARE(form->OKBtn->Parent(), form);
    QCOMPARE(form->Host->Widget()->geometry(), QRect(96, 16, 121, 21));

    // bsDialog: fixed size, a close box and no minimise or maximise buttons.
    QWidget* window = form->Widget();
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    // Fonts: the labels have their own bold font, the edits follow the form's.
    QVERIFY(!form->Label1->ParentFont());
    QCOMPARE(form->Label1->Font()->Style(), TFontStyles(fsBold));
    QCOMPARE(form->Label1->Font()->Color(), clBlack);
    QVERIFY(form->Label1->Widget()->font().bold());
    QCOMPARE(form->Label1->Widget()->font().pixelSize(), 11);
    QVERIFY(form->User->ParentFont());
    QVERIFY(!form->User->Widget()->font().bold());
    QCOMPARE(form->User->Font()->Name(), QStringLiteral("MS Sans Serif"));

    form->Label2->SetCaption(QStringLiteral("&User && Name"));
    QCOMPARE(qobject_cast<QLabel*>(form->Label2->Widget())->text(), QStringLiteral("User & Name"));
    QCOMPARE(form->Label2->Caption(), QStringLiteral("&User && Name"));

    QCOMPARE(form->Secret->PasswordChar(), QStringLiteral("*"));
    QCOMPARE(EditOf(form->Secret)->echoMode(), QLineEdit::Password);

    // Standard buttons take everything from their kind.
    QCOMPARE(form->OKBtn->Caption(), QStringLiteral("OK"));
    QVERIFY(form->OKBtn->Default());
    QCOMPARE(form->OKBtn->ModalResult(), mrOk);
    QCOMPARE(form->CancelBtn->Caption(), QStringLiteral("Cancel"));
    QVERIFY(form->CancelBtn->Cancel());
    QCOMPARE(form->CancelBtn->ModalResult(), mrCancel);
    for (TBitBtn* b : {form->OKBtn, form->CancelBtn}) {
        QCOMPARE(b->NumGlyphs(), 2);
        QCOMPARE(QSize(b->Glyph()->Width(), b->Glyph()->Height()), QSize(32, 16));
        QVERIFY(!qobject_cast<QPushButton*>(b->Widget())->icon().isNull());
    }

    // The edit's button shows the second image of its glyph when disabled.
    QCOMPARE(form->Host->NumGlyphs(), 2);
    QCOMPARE(form->Host->Glyph()->PaletteColors(), 16);
    const QIcon icon = form->Host->Button()->icon();
    const QImage strip = GlyphImage(*form->Host->Glyph());
    QCOMPARE(
        icon.pixmap(QSize(16, 16), QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32),
        strip.copy(0, 0, 16, 16));
    QCOMPARE(icon.pixmap(QSize(16, 16), QIcon::Disabled)
                 .toImage()
                 .convertToFormat(QImage::Format_ARGB32),
             strip.copy(16, 0, 16, 16));
}

void ControlsTest::writesBackWhatItRead() {
    auto* form = new TSampleForm(Application);
    QCOMPARE(WriteComponentText(form),
             QString::fromUtf8(FindResourceData(QStringLiteral("TSAMPLEFORM"))));
    auto* tree = new TTreeSampleForm(Application);
    QCOMPARE(WriteComponentText(tree),
             QString::fromUtf8(FindResourceData(QStringLiteral("TTREESAMPLEFORM"))));
}

void ControlsTest::savesPictures() {
    QDir().mkpath(QStringLiteral(CONTROLS_ARTIFACTS));
    auto* form = new TSampleForm(Application);
    const TModalResult result = RunModal(form, [form] {
        // poScreenCenter: the frame sits in the middle of the screen, whatever Left and Top say.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect frame = form->Widget()->frameGeometry();
        QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 1);
        QCOMPARE(form->Left(), frame.x());
        Type(form, QStringLiteral("ALPHA1"));
        Press(form, Qt::Key_Tab);
        Type(form, QStringLiteral("sa"));
        Press(form, Qt::Key_Tab);
        Type(form, QStringLiteral("secret"));
        const QString path = QStringLiteral(CONTROLS_ARTIFACTS "/sample-form.png");
        QVERIFY(form->Widget()->grab().save(path));
        qInfo("picture of the sample form: %s", qPrintable(path));
        Press(form, Qt::Key_Escape);
    });
    QCOMPARE(result, mrCancel);

    auto* tree = new TTreeSampleForm(Application);
    QCOMPARE(RunModal(tree,
                      [tree] {
                          ClickNode(tree->Tree, tree->Tree->Items->GetFirstNode()->Item(1));
                          const QString path = QStringLiteral(CONTROLS_ARTIFACTS "/tree-form.png");
                          QVERIFY(tree->Widget()->grab().save(path));
                          qInfo("picture of the tree form: %s", qPrintable(path));
                          Press(tree, Qt::Key_Escape);
                      }),
             mrCancel);
}

void ControlsTest::keyEndsDialog_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("Enter in the edit with a button") << "Host" << int(Qt::Key_Return) << mrOk;
    QTest::newRow("Enter in a plain edit") << "User" << int(Qt::Key_Return) << mrOk;
    QTest::newRow("keypad Enter in the password edit") << "Secret" << int(Qt::Key_Enter) << mrOk;
    QTest::newRow("Escape in the edit with a button") << "Host" << int(Qt::Key_Escape) << mrCancel;
    QTest::newRow("Escape in a plain edit") << "User" << int(Qt::Key_Escape) << mrCancel;
    QTest::newRow("Escape on the OK button") << "OKBtn" << int(Qt::Key_Escape) << mrCancel;
    QTest::newRow("Enter on the focused Cancel button")
        << "CancelBtn" << int(Qt::Key_Return) << mrCancel;
    QTest::newRow("Space on the focused OK button") << "OKBtn" << int(Qt::Key_Space) << mrOk;
}

void ControlsTest::keyEndsDialog() {
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(int, expected);
    auto* form = new TSampleForm(Application);
    auto* target = qobject_cast<TWinControl*>(form->FindComponent(control));
    QVERIFY(target);
    const TModalResult result = RunModal(form, [&] {
        form->SetActiveControl(target);
        QCOMPARE(QApplication::focusWidget(), target->FocusWidget());
        if (qobject_cast<TCustomEdit*>(target))
            Type(form, QStringLiteral("x"));
        Press(form, Qt::Key(key));
    });
    QCOMPARE(result, expected);
    QCOMPARE(form->ButtonClicks, 0);
    QVERIFY(!form->Widget()->isVisible());
}

void ControlsTest::closingFromFrameIsNotOk_data() {
    QTest::addColumn<bool>("byMessage");
    QTest::newRow("close box of the frame") << false;
    QTest::newRow("WM_CLOSE") << true;
}

void ControlsTest::closingFromFrameIsNotOk() {
    QFETCH(bool, byMessage);
    auto* form = new TSampleForm(Application);
    const TModalResult result = RunModal(form, [&] {
        Type(form, QStringLiteral("ALPHA1"));
        if (byMessage)
            SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        else
            WindowOf(form)->close();
    });
    QCOMPARE(result, mrCancel);
    QVERIFY(!form->Visible());
}

void ControlsTest::hidingAModalFormEndsItsLoop() {
    auto* form = new TSampleForm(Application);
    const TModalResult result = RunModal(form, [&] { form->Hide(); });
    QCOMPARE(result, mrCancel);
    QVERIFY(!form->Visible());
}

void ControlsTest::passwordShowsOneStarPerCharacter() {
    auto* form = new TSampleForm(Application);
    const QString typed = QStringLiteral("s3cr3t!");
    RunModal(form, [&] {
        form->SetActiveControl(form->Secret);
        Type(form, typed);
        QCOMPARE(form->Secret->Text(), typed);
        QCOMPARE(EditOf(form->Secret)->displayText(), QString(typed.size(), QLatin1Char('*')));
        QCOMPARE(EditOf(form->User)->displayText(), QString());
        Press(form, Qt::Key_Escape);
    });
}

void ControlsTest::tabOrder() {
    auto* form = new TSampleForm(Application);
    RunModal(form, [&] {
        QCOMPARE(form->ActiveControl(), form->Host);
        const QList<TWinControl*> forward{form->User, form->Secret, form->OKBtn, form->CancelBtn,
                                          form->Host};
        for (TWinControl* expected : forward) {
            Press(form, Qt::Key_Tab);
            QCOMPARE(form->ActiveControl(), expected);
            QCOMPARE(QApplication::focusWidget(), expected->FocusWidget());
        }
        Press(form, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(form->ActiveControl(), form->CancelBtn);
        Press(form, Qt::Key_Escape);
    });
    QCOMPARE(form->Panel1->TabOrder(), 0);
    QCOMPARE(form->Host->TabOrder(), 0);
    QCOMPARE(form->Secret->TabOrder(), 2);
}

void ControlsTest::activeControlOnEachShow() {
    auto* form = new TSampleForm(Application);
    for (int show = 1; show <= 2; ++show) {
        RunModal(form, [&] {
            // OnShow ran before anyone could act, and put the focus in the edit with a button.
            QCOMPARE(form->Shows, show);
            QCOMPARE(QApplication::focusWidget(), form->Host->FocusWidget());
            Type(form, QStringLiteral("abc"));
            QCOMPARE(form->Host->Text().right(3), QStringLiteral("abc"));
            form->SetActiveControl(form->User);
            QCOMPARE(QApplication::focusWidget(), form->User->FocusWidget());
            QCOMPARE(form->ActiveControl(), form->User);
            Press(form, Qt::Key_Escape);
        });
    }
}

void ControlsTest::focusComesBackWhereItWas() {
    // Without an OnShow that moves it, the focus starts in the first control of the tab order
    // and, at the next showing, is where the user left it.
    auto* form = new TTreeSampleForm(Application);
    RunModal(form, [&] {
        QCOMPARE(form->ActiveControl(), form->Edit1);
        Press(form, Qt::Key_Tab);
        QCOMPARE(form->ActiveControl(), form->OKBtn);
        Press(form, Qt::Key_Escape);
    });
    QCOMPARE(form->ActiveControl(), form->OKBtn);
    RunModal(form, [&] {
        QCOMPARE(QApplication::focusWidget(), form->OKBtn->FocusWidget());
        Press(form, Qt::Key_Escape);
    });
}

void ControlsTest::editOnChange() {
    auto* form = new TSampleForm(Application);
    RunModal(form, [&] {
        form->SetActiveControl(form->User);
        Type(form, QStringLiteral("ab"));
        form->User->SetText(QStringLiteral("xyz"));
        form->User->SetText(QStringLiteral("xyz"));
        Press(form, Qt::Key_Backspace);
        form->User->Clear();
        Press(form, Qt::Key_Escape);
    });
    QCOMPARE(form->UserChanges, (QStringList{"a", "ab", "xyz", "xy", ""}));
}

void ControlsTest::comboEditButton() {
    auto* form = new TSampleForm(Application);
    QPushButton* button = form->Host->Button();
    QVERIFY(!button->autoDefault());
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    // The button sits inside the field, at its right end.
    const QRect field = form->Host->Widget()->rect();
    QVERIFY(field.contains(button->geometry()));
    QVERIFY(qAbs(button->geometry().right() - field.right()) <= 3);
    const TModalResult result = RunModal(form, [&] {
        Click(button, button->rect().center());
        QCOMPARE(form->ButtonClicks, 1);
        QCOMPARE(QApplication::focusWidget(), form->Host->FocusWidget());
        Press(form, Qt::Key_Return);
    });
    QCOMPARE(result, mrOk);
    QCOMPARE(form->ButtonClicks, 1);
}

void ControlsTest::errorInHandlerEndsModalLoop_data() {
    QTest::addColumn<bool>("inOnShow");
    QTest::newRow("error raised by OnShow") << true;
    QTest::newRow("error raised by a click handler") << false;
}

void ControlsTest::errorInHandlerEndsModalLoop() {
    QFETCH(bool, inOnShow);
    auto* form = new TSampleForm(Application);
    QPushButton* button = form->Host->Button();
    const TNotifyEvent formShow = form->OnShow();
    if (inOnShow)
        form->SetOnShow(TNotifyEvent(
            [](TObject*) { throw EInvalidOperation(QStringLiteral("OnShow failed")); }));
    else
        form->ThrowOnButton = true;
    QVERIFY_THROWS_EXCEPTION(EInvalidOperation,
                             RunModal(form, [&] { Click(button, button->rect().center()); }));
    QVERIFY(!form->Widget()->isVisible());
    QVERIFY(!form->Visible());
    // The form is usable again.
    form->ThrowOnButton = false;
    form->SetOnShow(formShow);
    QCOMPARE(RunModal(form, [&] { Press(form, Qt::Key_Return); }), mrOk);
}

// The button of one modal form shows another; when it closes, the first is active again and
// the focus goes where its handler put it.
void ControlsTest::nestedModalForms() {
    auto* form = new TSampleForm(Application);
    TModalResult inner = mrNone;
    form->OnButton = [&] {
        auto* list = new TTreeSampleForm(Application);
        inner = RunModal(list, [list] {
            TTreeNode* beta1 = list->Tree->Items->GetFirstNode()->GetNextSibling()->GetFirstChild();
            DoubleClick(ViewOf(list->Tree)->viewport(), list->Tree->NodeRect(beta1).center());
        });
        if (inner == mrOk) {
            form->Host->SetText(list->Edit1->Text());
            form->SetActiveControl(form->User);
        }
        delete list;
    };
    const TModalResult result = RunModal(form, [&] {
        Click(form->Host->Button(), form->Host->Button()->rect().center());
        QCOMPARE(inner, mrOk);
        QCOMPARE(QApplication::activeWindow(), form->Widget());
        QCOMPARE(QApplication::focusWidget(), form->User->FocusWidget());
        Type(form, QStringLiteral("sa"));
        Press(form, Qt::Key_Return);
    });
    QCOMPARE(result, mrOk);
    QCOMPARE(form->Host->Text(), QStringLiteral("BETA1"));
    QCOMPARE(form->User->Text(), QStringLiteral("sa"));
}

void ControlsTest::bmClick_data() {
    QTest::addColumn<bool>("enabled");
    QTest::newRow("enabled button") << true;
    QTest::newRow("disabled button") << false;
}

void ControlsTest::bmClick() {
    QFETCH(bool, enabled);
    auto* form = new TSampleForm(Application);
    int clicks = 0;
    form->CancelBtn->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    const TModalResult result = RunModal(form, [&] {
        form->CancelBtn->SetEnabled(enabled);
        QCOMPARE(SendMessageA(form->CancelBtn->Handle(), BM_CLICK, 1, 0), LRESULT(0));
        if (!enabled) {
            QCOMPARE(form->ModalResult(), mrNone);
            QVERIFY(form->Widget()->isVisible());
            form->SetModalResult(mrOk);
        }
    });
    QCOMPARE(result, enabled ? mrCancel : mrOk);
    QCOMPARE(clicks, enabled ? 1 : 0);
}

void ControlsTest::treePlacement_data() {
    QTest::addColumn<QStringList>("operations"); // "Op:Node:Text", "-" for no node
    QTest::addColumn<QString>("outline");
    QTest::newRow("Add without a node: last top-level")
        << QStringList{"Add:-:A", "Add:-:B"} << "A,B";
    QTest::newRow("AddChild without a node: last top-level")
        << QStringList{"AddChild:-:A", "AddChild:-:B"} << "A,B";
    QTest::newRow("AddChild: last child of the node")
        << QStringList{"Add:-:D", "AddChild:D:S1", "AddChild:D:S2"} << "D(S1,S2)";
    QTest::newRow("Add: last sibling of the node")
        << QStringList{"Add:-:D", "AddChild:D:S1", "AddChild:D:S2", "Add:S1:S3"} << "D(S1,S2,S3)";
    QTest::newRow("Add beside a node that has children")
        << QStringList{"Add:-:D1", "AddChild:D1:S", "Add:D1:D2"} << "D1(S),D2";
    QTest::newRow("Add after the first of several: still last")
        << QStringList{"Add:-:A", "Add:-:B", "Add:A:C"} << "A,B,C";
    QTest::newRow("deeper levels")
        << QStringList{"Add:-:A", "AddChild:A:B", "AddChild:B:C", "Add:B:D", "AddChild:-:E"}
        << "A(B(C),D),E";
    QTest::newRow("Clear empties the tree")
        << QStringList{"Add:-:A", "AddChild:A:B", "Clear::", "Add:-:C"} << "C";
    QTest::newRow("Delete takes the children too")
        << QStringList{"Add:-:A", "AddChild:A:B", "Add:-:C", "Delete:A:"} << "C";
}

void ControlsTest::treePlacement() {
    QFETCH(QStringList, operations);
    QFETCH(QString, outline);
    auto* form = new TForm(Application);
    auto* tree = new TTreeView(form);
    tree->SetParent(form);
    QHash<QString, TTreeNode*> nodes;
    for (const QString& op : operations) {
        const QStringList p = op.split(QLatin1Char(':'));
        TTreeNode* node = p[1] == QLatin1String("-") ? nullptr : nodes.value(p[1]);
        if (p[0] == QLatin1String("Add"))
            nodes.insert(p[2], tree->Items->Add(node, p[2]));
        else if (p[0] == QLatin1String("AddChild"))
            nodes.insert(p[2], tree->Items->AddChild(node, p[2]));
        else if (p[0] == QLatin1String("Clear"))
            tree->Items->Clear();
        else if (p[0] == QLatin1String("Delete"))
            node->Delete();
    }
    QCOMPARE(Outline(tree->Items->GetFirstNode()), outline);

    // The depth-first walk meets every node once, in outline order; counts agree.
    QStringList walked;
    for (TTreeNode* n = tree->Items->GetFirstNode(); n; n = n->GetNext()) {
        walked.append(n->Text());
        QCOMPARE(n->HasChildren(), n->Count() > 0);
        if (n->Parent())
            QCOMPARE(n->Parent()->Item(n->Index()), n);
    }
    QString flat = outline;
    flat.replace(QLatin1Char('('), QLatin1Char(',')).remove(QLatin1Char(')'));
    QCOMPARE(walked.join(QLatin1Char(',')), flat);
    QCOMPARE(tree->Items->Count(), int(walked.size()));
    int topLevel = 0;
    for (TTreeNode* n = tree->Items->GetFirstNode(); n; n = n->GetNextSibling())
        ++topLevel;
    QCOMPARE(ViewOf(tree)->model()->rowCount(), topLevel);
}

void ControlsTest::treeEvents() {
    auto* form = new TTreeSampleForm(Application);
    TTreeView* tree = form->Tree;
    QCOMPARE(tree->Indent(), 19);
    QCOMPARE(ViewOf(tree)->indentation(), 19);
    // BorderIcons [biSystemMenu]: a close box only.
    const Qt::WindowFlags flags = form->Widget()->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    const TModalResult result = RunModal(form, [&] {
        // While the tree was filled the cursor was the hourglass; then the arrow, not default.
        QCOMPARE(form->CursorsDuringShow, QList<TCursor>{crHourGlass});
        QCOMPARE(TCursor(Screen->Cursor), crArrow);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);

        QCOMPARE(Outline(tree->Items->GetFirstNode()),
                 QStringLiteral("ALPHA(ALPHA1,ALPHA2,ALPHA3),BETA(BETA1,BETA2,BETA3),EMPTY"));
        TTreeNode* alpha = tree->Items->GetFirstNode();
        QVERIFY(alpha->Expanded());
        QVERIFY(alpha->GetNextSibling()->Expanded());
        // Making the first node visible selected nothing.
        QCOMPARE(tree->Selected(), nullptr);
        QVERIFY(form->Changes.isEmpty());
        QVERIFY(form->OKBtn->Enabled());

        ClickNode(tree, alpha->Item(1));
        QCOMPARE(form->Changes, QStringList{"ALPHA2"});
        QCOMPARE(tree->Selected(), alpha->Item(1));
        QCOMPARE(form->Edit1->Text(), QStringLiteral("ALPHA2"));

        // Clearing the edit by hand disables OK, and BM_CLICK then does nothing.
        form->SetActiveControl(form->Edit1);
        Press(form, Qt::Key_A, Qt::ControlModifier);
        Press(form, Qt::Key_Delete);
        QVERIFY(!form->OKBtn->Enabled());
        SendMessageA(form->OKBtn->Handle(), BM_CLICK, 1, 0);
        QCOMPARE(form->ModalResult(), mrNone);

        // A node without children, then a double click on a server: the first click selects
        // it, the double click acts as OK.
        TTreeNode* empty = alpha->GetNextSibling()->GetNextSibling();
        ClickNode(tree, empty);
        QCOMPARE(form->Changes.last(), QStringLiteral("EMPTY"));
        QVERIFY(form->OKBtn->Enabled());
        TTreeNode* beta1 = alpha->GetNextSibling()->GetFirstChild();
        DoubleClick(ViewOf(tree)->viewport(), tree->NodeRect(beta1).center());
    });
    QCOMPARE(result, mrOk);
    QCOMPARE(form->DoubleClicks, 1);
    QCOMPARE(form->Changes, (QStringList{"ALPHA2", "EMPTY", "BETA1"}));
}

void ControlsTest::screenCursor_data() {
    QTest::addColumn<TCursor>("cursor");
    QTest::addColumn<int>("shape"); // -1: no application-wide cursor
    QTest::newRow("crHourGlass") << crHourGlass << int(Qt::WaitCursor);
    QTest::newRow("crArrow") << crArrow << int(Qt::ArrowCursor);
    QTest::newRow("crDefault") << crDefault << -1;
    QTest::newRow("crHandPoint") << crHandPoint << int(Qt::PointingHandCursor);
}

void ControlsTest::screenCursor() {
    QFETCH(TCursor, cursor);
    QFETCH(int, shape);
    // Set over another cursor: changing never stacks cursors.
    Screen->Cursor = crHourGlass;
    Screen->Cursor = cursor;
    QCOMPARE(TCursor(Screen->Cursor), cursor);
    QCOMPARE(Screen->Cursor(), cursor);
    QCOMPARE(Screen->GetCursor(), cursor);
    if (shape < 0) {
        QVERIFY(!QGuiApplication::overrideCursor());
    } else {
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(int(QGuiApplication::overrideCursor()->shape()), shape);
    }
    Screen->Cursor = crDefault;
    QVERIFY(!QGuiApplication::overrideCursor());
}

void ControlsTest::fontFallback_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fixedPitch");
    QTest::newRow("MS Sans Serif") << "MS Sans Serif" << false;
    QTest::newRow("Courier New") << "Courier New" << true;
    QTest::newRow("a family nobody has") << "No Such Family 42" << false;
    QTest::newRow("an installed family") << "DejaVu Sans" << false;
}

void ControlsTest::fontFallback() {
    QFETCH(QString, name);
    QFETCH(bool, fixedPitch);
    TFont font;
    font.SetName(name);
    font.SetHeight(-11);
    const QFont q = ToQFont(font);
    QVERIFY(QFontDatabase::families().contains(q.family(), Qt::CaseInsensitive));
    QCOMPARE(QFontInfo(q).family(), q.family());
    QCOMPARE(QFontInfo(q).fixedPitch(), fixedPitch);
    QCOMPARE(q.pixelSize(), 11);
    QCOMPARE(TextHeightOf(font), QFontMetrics(q).height());
}

void ControlsTest::fontFollowsParent() {
    auto* form = new TSampleForm(Application);
    QSignalSpy changed(form->User->Font(), &TFont::Changed);
    TFont bigger;
    bigger.Assign(form->Font());
    bigger.SetHeight(-15);
    form->SetFont(&bigger);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(form->User->Font()->Height(), -15);
    QVERIFY(form->User->ParentFont());
    QCOMPARE(form->User->Widget()->font().pixelSize(), 15);
    QCOMPARE(form->Host->Widget()->font().pixelSize(), 15);
    // A label with its own font keeps it; assigning an equal font changes nothing.
    QCOMPARE(form->Label1->Widget()->font().pixelSize(), 11);
    form->SetFont(&bigger);
    QCOMPARE(changed.count(), 1);
    // Giving a control a font of its own stops it following.
    form->User->Font()->SetStyle(fsItalic);
    QVERIFY(!form->User->ParentFont());
    QVERIFY(form->User->Widget()->font().italic());
    form->Font()->SetHeight(-11);
    QCOMPARE(form->User->Font()->Height(), -15);
    form->User->SetParentFont(true);
    QCOMPARE(form->User->Font()->Height(), -11);
    QVERIFY(!form->User->Widget()->font().italic());
}

void ControlsTest::destroyingControls() {
    auto* form = new TSampleForm(Application);
    QPointer<QWidget> hostWidget = form->Host->Widget();
    const HWND hostHandle = form->Host->Handle();
    QVERIFY(IsWindow(hostHandle));
    // A control owned by nobody but placed on the panel goes with the panel.
    QPointer<TEdit> stray = new TEdit(nullptr);
    stray->SetParent(form->Panel1);

    delete form->Panel1;
    QVERIFY(!form->Panel1);
    QVERIFY(!form->Host);
    QVERIFY(!form->Label1);
    QVERIFY(!form->Secret);
    QVERIFY(!stray);
    QVERIFY(!hostWidget);
    QVERIFY(!IsWindow(hostHandle));
    QCOMPARE(SendMessageA(hostHandle, BM_CLICK, 1, 0), LRESULT(0));
    QCOMPARE(form->ComponentCount(), 2);
    QCOMPARE(form->OKBtn->TabOrder(), 0);

    // The rest still works, and the form takes everything with it.
    QCOMPARE(RunModal(form, [&] { Press(form, Qt::Key_Return); }), mrOk);
    QPointer<QWidget> window = form->Widget();
    delete form;
    QVERIFY(!window);
    QCOMPARE(Application->ComponentCount(), 0);
}

// Run also on screens of other resolutions (see CMakeLists.txt): the form keeps its
// proportions, and its captions keep fitting.
void ControlsTest::scaledToScreen() {
    auto* form = new TSampleForm(Application);
    const int ppi = Screen->PixelsPerInch();
    const qreal dpr = form->Widget()->devicePixelRatioF();
    qInfo("screen: %d pixels per inch, device pixel ratio %.2f; form %dx%d", ppi, dpr,
          form->ClientWidth(), form->ClientHeight());
    if (qEnvironmentVariableIsSet("EXPECT_PIXELS_PER_INCH"))
        QCOMPARE(ppi, qEnvironmentVariableIntValue("EXPECT_PIXELS_PER_INCH"));
    if (qEnvironmentVariableIsSet("EXPECT_DEVICE_PIXEL_RATIO"))
        QCOMPARE(dpr, qreal(qEnvironmentVariableIntValue("EXPECT_DEVICE_PIXEL_RATIO")));
    QCOMPARE(form->PixelsPerInch(), ppi);
    QCOMPARE(form->Font()->Height(), MulDiv(-11, ppi, 96));
    // Controls that follow the form's font show it.
    for (TControl* c : std::initializer_list<TControl*>{form->User, form->Host, form->OKBtn})
        QCOMPARE(c->Widget()->font().pixelSize(), -form->Font()->Height());

    const double f = form->ClientWidth() / 252.0;
    QVERIFY(qAbs(form->ClientHeight() - 144 * f) <= 1.5);
    QVERIFY(qAbs(f * 13 - form->TextHeight()) <= 1.5);
    const struct {
        TControl* control;
        QRect designed;
    } layout[] = {
        {form->Panel1, {8, 8, 233, 97}},       {form->Label1, {16, 18, 74, 13}},
        {form->Label3, {32, 66, 55, 13}},      {form->Host, {96, 16, 121, 21}},
        {form->Secret, {96, 64, 121, 21}},     {form->OKBtn, {24, 112, 89, 25}},
        {form->CancelBtn, {136, 112, 89, 25}},
    };
    for (const auto& item : layout) {
        const QRect now(item.control->Left(), item.control->Top(), item.control->Width(),
                        item.control->Height());
        QCOMPARE(item.control->Widget()->geometry(), now);
        QVERIFY2(qAbs(now.left() - item.designed.left() * f) <= 1.5 &&
                     qAbs(now.top() - item.designed.top() * f) <= 1.5 &&
                     qAbs(now.width() - item.designed.width() * f) <= 1.5 &&
                     qAbs(now.height() - item.designed.height() * f) <= 1.5,
                 qPrintable(item.control->Name()));
    }
    for (TLabel* label : {form->Label1, form->Label2, form->Label3}) {
        const int text = QFontMetrics(label->Widget()->font()).horizontalAdvance(label->Caption());
        QVERIFY2(text <= label->Width(), qPrintable(QStringLiteral("%1: %2 px of text in %3 px")
                                                        .arg(label->Caption())
                                                        .arg(text)
                                                        .arg(label->Width())));
    }
    RunModal(form, [&] {
        const QImage picture = form->Widget()->grab().toImage();
        QCOMPARE(picture.size(), form->Widget()->size() * dpr);
        QDir().mkpath(QStringLiteral(CONTROLS_ARTIFACTS));
        const QString path =
            QStringLiteral(CONTROLS_ARTIFACTS "/sample-form-%1dpi-x%2.png").arg(ppi).arg(dpr);
        QVERIFY(picture.save(path));
        qInfo("picture of the scaled form: %s", qPrintable(path));
        Press(form, Qt::Key_Escape);
    });
}

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"

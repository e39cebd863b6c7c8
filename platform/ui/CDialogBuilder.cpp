#include "platform/ui/CDialogBuilder.h"

#include <algorithm>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDomDocument>
#include <QEvent>
#include <QFile>
#include <QRegularExpression>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/base/DebugLine.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/ImageDesc.h"
#include "platform/ui/StyleSheet.h"

namespace q840::ui {

namespace {

// The attributes of an element in an order that does not depend on how the XML parser stores
// them: what other attributes rely on first (a slider's range before its value, an option's group
// before its selection), the states last.
QVector<QDomAttr> OrderedAttributes(const QDomElement& element) {
    static const QStringList kFirst = {"name", "class", "min", "max", "group"};
    static const QStringList kLast = {"value", "selected", "enabled", "visible"};
    const QDomNamedNodeMap map = element.attributes();
    QVector<QDomAttr> first, middle, last;
    for (int i = 0; i < map.count(); ++i) {
        const QDomAttr attr = map.item(i).toAttr();
        if (kFirst.contains(attr.name())) {
            first.append(attr);
        } else if (kLast.contains(attr.name())) {
            last.append(attr);
        } else {
            middle.append(attr);
        }
    }
    const auto rank = [](const QStringList& order) {
        return [&order](const QDomAttr& a, const QDomAttr& b) {
            return order.indexOf(a.name()) < order.indexOf(b.name());
        };
    };
    std::sort(first.begin(), first.end(), rank(kFirst));
    std::sort(last.begin(), last.end(), rank(kLast));
    std::sort(middle.begin(), middle.end(),
              [](const QDomAttr& a, const QDomAttr& b) { return a.name() < b.name(); });
    return first + middle + last;
}

}  // namespace

namespace {
constexpr int kMaxIncludeDepth = 16;
// Layouts one build may include in all: a layout that includes itself (or a large count) would
// otherwise multiply at every level of nesting.
constexpr int kMaxIncludes = 1024;

// Makes a padding wrapper follow its control's explicit show/hide, so that a hidden control
// takes no room (its padding included), as layouts expect.
class VisibilityFollower : public QObject {
public:
    explicit VisibilityFollower(QWidget* wrapper) : QObject(wrapper), m_wrapper(wrapper) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent) {
            m_wrapper->setVisible(true);
        } else if (event->type() == QEvent::HideToParent) {
            m_wrapper->setVisible(false);
        }
        return false;
    }

private:
    QWidget* m_wrapper;
};

bool IsTrue(const QString& value) {
    return value.compare("true", Qt::CaseInsensitive) == 0 || value == "1";
}

// "#FF14161B" / "0xFF14161B" / "#14161B" -> a style sheet colour.
QString StyleColour(QString value) {
    value = value.trimmed();
    if (value.startsWith("0x", Qt::CaseInsensitive)) {
        value = value.mid(2);
    } else if (value.startsWith('#')) {
        value = value.mid(1);
    }
    bool ok = false;
    const quint32 argb = value.toUInt(&ok, 16);
    if (!ok) {
        return {};
    }
    const int a = value.size() > 6 ? (argb >> 24) & 0xFF : 0xFF;
    return QString("rgba(%1,%2,%3,%4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg(a);
}

// Per-control style pieces (background, text colour, border) kept as a property and turned into
// a style sheet that applies to this control only.
void SetStylePiece(QWidget* control, const QString& key, const QString& value) {
    static int s_nextId = 1;
    if (!control->property("dui_uid").isValid()) {
        control->setProperty("dui_uid", s_nextId++);
    }
    QVariantMap pieces = control->property("dui_style").toMap();
    pieces.insert(key, value);
    control->setProperty("dui_style", pieces);
    control->setAttribute(Qt::WA_StyledBackground);
    CDialogBuilder::ApplyStylePieces(control, CPaintManagerUI::FromControl(control)
                                                  ? CPaintManagerUI::FromControl(control)->GetDPI()
                                                  : 96);
}

Qt::Alignment ParseAlign(const QString& value) {
    Qt::Alignment align;
    const QString v = value.toLower();
    if (v.contains("left"))
        align |= Qt::AlignLeft;
    if (v.contains("right"))
        align |= Qt::AlignRight;
    if (v.contains("center"))
        align |= Qt::AlignHCenter;
    if (v.contains("top"))
        align |= Qt::AlignTop;
    if (v.contains("bottom"))
        align |= Qt::AlignBottom;
    if (v.contains("vcenter") || !(align & Qt::AlignVertical_Mask))
        align |= Qt::AlignVCenter;
    return align;
}

QWidget* NewBox(bool vertical) {
    auto* box = new QWidget();
    QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                  : static_cast<QBoxLayout*>(new QHBoxLayout(box));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return box;
}
}  // namespace

void CDialogBuilder::ApplyStylePieces(QWidget* control, int dpi) {
    const QVariantMap pieces = control->property("dui_style").toMap();
    if (pieces.isEmpty()) {
        return;
    }
    QString body;
    for (auto it = pieces.constBegin(); it != pieces.constEnd(); ++it) {
        body += it.key() + ':' + it.value().toString() + ';';
    }
    control->setStyleSheet(ScaleStyleSheet(
        QString("*[dui_uid=\"%1\"]{%2}").arg(control->property("dui_uid").toInt()).arg(body), dpi));
}

QColor CDialogBuilder::StylePieceColour(const QWidget* control, const QString& key) {
    const QString piece = control->property("dui_style").toMap().value(key).toString();
    static const QRegularExpression rgba(QStringLiteral("^rgba\\((\\d+),(\\d+),(\\d+),(\\d+)\\)$"));
    const QRegularExpressionMatch match = rgba.match(piece.simplified().remove(' '));
    if (!match.hasMatch()) {
        return {};
    }
    return QColor(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                  match.captured(4).toInt());
}

QWidget* CDialogBuilder::Create(const QString& fileOrKey, IDialogBuilderCallback* callback,
                                CPaintManagerUI* manager, QWidget* parent) {
    const QString file = CResourceManager::GetInstance().GetLayoutFile(fileOrKey);
    QFile source(CResourceManager::GetInstance().GetResourcePath() + file);
    if (!source.open(QIODevice::ReadOnly)) {
        DebugLine("layout not found: %s", file.toUtf8().constData());
        return nullptr;
    }
    return CreateFromText(QString::fromUtf8(source.readAll()), callback, manager, parent);
}

QWidget* CDialogBuilder::CreateFromText(const QString& xml, IDialogBuilderCallback* callback,
                                        CPaintManagerUI* manager, QWidget* parent) {
    QDomDocument doc;
    QString error;
    int line = 0;
    if (!doc.setContent(xml, &error, &line)) {
        DebugLine("layout: line %d: %s", line, error.toUtf8().constData());
        return nullptr;
    }
    m_callback = callback;
    m_manager = manager;
    if (m_depth == 0 || !m_includesLeft) {
        m_includesLeft = std::make_shared<int>(kMaxIncludes);
    }
    return BuildRoot(doc.documentElement(), parent);
}

QWidget* CDialogBuilder::BuildRoot(const QDomElement& root, QWidget* parent) {
    if (root.tagName() != "Window") {
        return BuildElement(root, parent);
    }
    const QDomNamedNodeMap attributes = root.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attr = attributes.item(i).toAttr();
        m_windowAttributes.insert(attr.name(), attr.value());
    }
    QWidget* first = nullptr;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == "Font") {
            m_fonts.insert(e.attribute("id"), e);
            continue;
        }
        if (e.tagName() == "Default" || e.tagName() == "Style") {
            continue;
        }
        QWidget* control = BuildElement(e, parent);
        if (first == nullptr) {
            first = control;
        }
    }
    return first;
}

QWidget* CDialogBuilder::CreateByTag(const QString& tag) {
    if (m_callback != nullptr) {
        if (QWidget* control = m_callback->CreateControl(tag)) {
            return control;
        }
    }
    if (QWidget* control = CControlFactory::GetInstance().CreateControl(tag)) {
        return control;
    }
    using Maker = QWidget* (*)();
    static const QHash<QString, Maker> kBuiltInTags = {
        {"VerticalLayout", [] { return NewBox(true); }},
        {"HorizontalLayout", [] { return NewBox(false); }},
        {"TabLayout", []() -> QWidget* { return new QStackedWidget(); }},
        {"Container",
         []() -> QWidget* {
             auto* container = new QWidget();
             auto* grid = new QGridLayout(container);
             grid->setContentsMargins(0, 0, 0, 0);
             grid->setSpacing(0);
             return container;
         }},
        {"Control", [] { return new QWidget(); }},
        {"Button", []() -> QWidget* { return new QPushButton(); }},
        {"Option",
         []() -> QWidget* {
             auto* option = new QPushButton();
             option->setCheckable(true);
             option->setProperty("class", "option");
             return option;
         }},
        {"CheckBox", []() -> QWidget* { return new QCheckBox(); }},
        {"Label", []() -> QWidget* { return new QLabel(); }},
        {"Text", []() -> QWidget* { return new QLabel(); }},
        {"Edit", []() -> QWidget* { return new QLineEdit(); }},
        {"Slider", []() -> QWidget* { return new QSlider(Qt::Horizontal); }},
        {"Combo", []() -> QWidget* { return new QComboBox(); }},
        {"List", []() -> QWidget* { return new QListWidget(); }},
        {"Progress", []() -> QWidget* { return new QProgressBar(); }},
        {"ColorPalette", []() -> QWidget* { return new CColorPaletteUI(); }},
    };
    if (const Maker make = kBuiltInTags.value(tag)) {
        return make();
    }
    return nullptr;
}

QWidget* CDialogBuilder::BuildElement(const QDomElement& element, QWidget* parent) {
    const QString tag = element.tagName();
    if (tag == "Include") {
        if (m_depth >= kMaxIncludeDepth) {
            DebugLine("layout: include nested too deeply: %s",
                      element.attribute("source").toUtf8().constData());
            return nullptr;
        }
        const int count = qMax(1, element.attribute("count", "1").toInt());
        QWidget* first = nullptr;
        for (int i = 0; i < count; ++i) {
            if (*m_includesLeft <= 0) {
                DebugLine("layout: more than %d included layouts, the rest left out: %s",
                          kMaxIncludes, element.attribute("source").toUtf8().constData());
                break;
            }
            --*m_includesLeft;
            CDialogBuilder nested;
            nested.m_depth = m_depth + 1;
            nested.m_includesLeft = m_includesLeft;
            QWidget* control =
                nested.Create(element.attribute("source"), m_callback, m_manager, nullptr);
            if (control != nullptr) {
                AddToParent(control, parent);
                first = first ? first : control;
            }
        }
        return first;
    }

    QWidget* control = CreateByTag(tag);
    if (control == nullptr) {
        DebugLine("layout: unknown tag <%s>", tag.toUtf8().constData());
        return nullptr;
    }
    control->setProperty("dui_tag", tag);
    if (m_manager != nullptr) {
        m_manager->AttachControl(control);
    }
    for (const QDomAttr& attr : OrderedAttributes(element)) {
        if (attr.name() == "font") {
            const QDomElement font = m_fonts.value(attr.value());
            if (!font.isNull()) {
                SetAttribute(control, "fontsize", font.attribute("size"), m_manager);
                if (IsTrue(font.attribute("bold"))) {
                    QFont f = control->font();
                    f.setBold(true);
                    control->setFont(f);
                }
                continue;
            }
        }
        SetAttribute(control, attr.name(), attr.value(), m_manager);
    }
    AddToParent(control, parent);
    BuildChildren(element, control);
    if (m_manager != nullptr) {
        m_manager->ApplyScale(control);
    }
    return control;
}

void CDialogBuilder::BuildChildren(const QDomElement& element, QWidget* control) {
    const bool hasItems = qobject_cast<QComboBox*>(control) || qobject_cast<QListWidget*>(control);
    for (QDomElement e = element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (hasItems && e.tagName().endsWith("Element") &&
            e.tagName() != "ComboEditContainerElement") {
            AddItem(control, e);
        } else {
            BuildElement(e, control);
        }
    }
    if (auto* stack = qobject_cast<QStackedWidget*>(control)) {
        stack->setCurrentIndex(
            qBound(0, control->property("dui_selectedid").toInt(), qMax(0, stack->count() - 1)));
    }
}

void CDialogBuilder::AddItem(QWidget* control, const QDomElement& item) {
    const QString raw = item.attribute("text");
    const QString text = CResourceManager::GetInstance().Resolve(raw);
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->addItem(text, item.attribute("userdata"));
        combo->setItemData(combo->count() - 1, raw, Qt::UserRole + 1);
        if (IsTrue(item.attribute("selected"))) {
            combo->setCurrentIndex(combo->count() - 1);
            combo->setProperty("dui_previndex", combo->currentIndex());
        }
        CResourceManager::GetInstance().TrackControl(combo);
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        auto* listItem = new QListWidgetItem(text, list);
        listItem->setData(Qt::UserRole, item.attribute("userdata"));
        listItem->setData(Qt::UserRole + 1, raw);
        if (IsTrue(item.attribute("selected"))) {
            list->setCurrentItem(listItem);
        }
    }
}

void CDialogBuilder::AddToParent(QWidget* control, QWidget* parent) {
    if (parent == nullptr) {
        return;
    }
    if (control->property("dui_float").toBool()) {
        control->setParent(parent);
        control->raise();
        return;
    }
    if (auto* stack = qobject_cast<QStackedWidget*>(parent)) {
        stack->addWidget(control);
        return;
    }
    if (auto* list = qobject_cast<QListWidget*>(parent)) {
        // A control inside a list is one row of it.
        auto* item = new QListWidgetItem(list);
        item->setSizeHint(control->sizeHint());
        list->setItemWidget(item, control);
        return;
    }
    QLayout* layout = parent->layout();
    if (layout == nullptr) {
        control->setParent(parent);
        return;
    }
    QWidget* item = control;
    const QStringList padding = control->property("dui_padding").toString().split(',');
    if (padding.size() == 4 && control->property("dui_padding").toString() != "0,0,0,0") {
        // Padding is room around the control inside its parent: a wrapper with margins.
        auto* wrapper = new QWidget();
        auto* box = new QHBoxLayout(wrapper);
        box->setSpacing(0);
        wrapper->setProperty("dui_inset", control->property("dui_padding"));
        wrapper->setSizePolicy(control->sizePolicy());
        box->addWidget(control);
        control->installEventFilter(new VisibilityFollower(wrapper));
        // Only hidden here: showing a control without a parent would make it a window of its
        // own. It is shown with the parent it is added to below.
        if (control->isHidden()) {
            wrapper->hide();  // (a layout's "visible" attribute, or never shown yet)
        }
        if (m_manager != nullptr) {
            m_manager->ApplyScale(wrapper);
        }
        item = wrapper;
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        grid->addWidget(item, 0, 0);
    } else {
        layout->addWidget(item);
    }
}

namespace {

// One attribute of a layout tag, applied to its control.
using AttributeSetter = void (*)(QWidget* control, const QString& name, const QString& value,
                                 CPaintManagerUI* manager);

// Kept as a "dui_" property for the layout engine and the program's code to read.
void KeepAsProperty(QWidget* control, const QString& name, const QString& value,
                    CPaintManagerUI*) {
    control->setProperty(("dui_" + name).toUtf8().constData(), value);
}

void PassToCustom(QWidget* control, const QString& name, const QString& value) {
    if (auto* custom = dynamic_cast<IUIAttributes*>(control)) {
        custom->SetAttribute(name, value);
    }
}

// min, max and value of a slider or progress bar, or of a custom control that takes them.
void SetRangeValue(QWidget* control, const QString& name, const QString& value,
                   CPaintManagerUI*) {
    const int v = value.toInt();
    auto apply = [&](auto* range) {
        if (name == "min") {
            range->setMinimum(v);
        } else if (name == "max") {
            range->setMaximum(v);
        } else {
            range->setValue(v);
        }
    };
    if (auto* slider = qobject_cast<QSlider*>(control)) {
        apply(slider);
    } else if (auto* progress = qobject_cast<QProgressBar*>(control)) {
        apply(progress);
    } else {
        PassToCustom(control, name, value);
    }
}

template <typename Widget, typename Apply>
void ForWidget(QWidget* control, Apply apply) {
    if (auto* widget = qobject_cast<Widget*>(control)) {
        apply(widget);
    }
}

const QHash<QString, AttributeSetter>& AttributeSetters() {
    static const QHash<QString, AttributeSetter> kSetters = [] {
        QHash<QString, AttributeSetter> t;
        t["name"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            c->setObjectName(v);
        };
        t["text"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            CResourceManager::GetInstance().SetControlText(c, v);
        };
        t["tooltip"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            CResourceManager::GetInstance().SetControlToolTip(c, v);
        };
        for (const char* kept : {"width", "height", "minwidth", "minheight", "maxwidth",
                                 "maxheight", "inset", "childpadding", "pos", "padding",
                                 "fontsize", "selectedid", "userdata"}) {
            t[kept] = &KeepAsProperty;
        }
        t["float"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            c->setProperty("dui_float", IsTrue(v));
        };
        t["visible"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            // Showing happens with the parent; an unparented control must not become a window.
            if (!IsTrue(v)) {
                c->hide();
            }
        };
        t["enabled"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            c->setEnabled(IsTrue(v));
        };
        t["group"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI* m) {
            c->setProperty("dui_group", v);
            auto* button = qobject_cast<QAbstractButton*>(c);
            if (button != nullptr && m != nullptr) {
                m->AddOptionGroup(v, button);
            }
        };
        t["selected"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            ForWidget<QAbstractButton>(c, [&](QAbstractButton* b) {
                b->setCheckable(true);
                b->setChecked(IsTrue(v));
            });
        };
        t["min"] = t["max"] = t["value"] = &SetRangeValue;
        t["class"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            c->setProperty("class", v);
        };
        t["bkcolor"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            SetStylePiece(c, "background-color", StyleColour(v));
        };
        t["textcolor"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            SetStylePiece(c, "color", StyleColour(v));
        };
        t["bordercolor"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            SetStylePiece(c, "border-color", StyleColour(v));
        };
        t["bordersize"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            SetStylePiece(c, "border-style", "solid");
            SetStylePiece(c, "border-width", QString::number(v.toInt()) + "px");
        };
        t["borderround"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            SetStylePiece(c, "border-radius", QString::number(v.split(',')[0].toInt()) + "px");
        };
        t["align"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            ForWidget<QLabel>(c, [&](QLabel* l) { l->setAlignment(ParseAlign(v)); });
            ForWidget<QLineEdit>(c, [&](QLineEdit* e) { e->setAlignment(ParseAlign(v)); });
        };
        t["wordwrap"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            ForWidget<QLabel>(c, [&](QLabel* l) { l->setWordWrap(IsTrue(v)); });
        };
        t["cursor"] = [](QWidget* c, const QString& n, const QString& v, CPaintManagerUI*) {
            if (v == "hand") {
                c->setCursor(Qt::PointingHandCursor);
            }
            PassToCustom(c, n, v);
        };
        t["readonly"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            ForWidget<QLineEdit>(c, [&](QLineEdit* e) { e->setReadOnly(IsTrue(v)); });
        };
        t["maxchar"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            ForWidget<QLineEdit>(c, [&](QLineEdit* e) { e->setMaxLength(v.toInt()); });
        };
        t["vertical"] = [](QWidget* c, const QString&, const QString& v, CPaintManagerUI*) {
            ForWidget<QSlider>(c, [&](QSlider* s) {
                if (IsTrue(v)) {
                    s->setOrientation(Qt::Vertical);
                }
            });
        };
        return t;
    }();
    return kSetters;
}

}  // namespace

void CDialogBuilder::SetAttribute(QWidget* control, const QString& name, const QString& value,
                                  CPaintManagerUI* manager) {
    if (const AttributeSetter setter = AttributeSetters().value(name)) {
        setter(control, name, value, manager);
    } else if (IsImageAttribute(name)) {
        KeepAsProperty(control, name, value, manager);
        ImagePainter::Attach(control);
        control->update();
    } else if (auto* custom = dynamic_cast<IUIAttributes*>(control)) {
        custom->SetAttribute(name, value);
    } else {
        // Kept for the program's own code to read (e.g. "menu", "tag").
        KeepAsProperty(control, name, value, manager);
    }
}

}  // namespace q840::ui

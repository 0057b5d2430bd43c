#include "platform/resources/menus.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtGlobal>
#include <cmath>

namespace cw {
namespace {

constexpr char kMenuResourcesPath[] = ":/cw/menus/menus.json";

// Reading stops at the first fault; the reason names where it was found.
class Reader {
 public:
  bool failed() const { return !error_.isEmpty(); }
  const QString& error() const { return error_; }

  void Fail(const QString& where, const QString& what) {
    if (!failed()) error_ = where + QStringLiteral(": ") + what;
  }

  // A whole number in [low, high]; `fallback` when the key is absent and one is given.
  int Int(const QJsonObject& object, const QString& key, const QString& where, int low, int high,
          std::optional<int> fallback = std::nullopt) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() && fallback) return *fallback;
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) || number < low || number > high) {
      Fail(where, QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                      .arg(key).arg(low).arg(high));
      return 0;
    }
    return static_cast<int>(number);
  }

  QJsonArray Array(const QJsonObject& object, const QString& key, const QString& where) {
    const QJsonValue value = object.value(key);
    if (!value.isArray()) Fail(where, QStringLiteral("\"%1\" must be an array").arg(key));
    return value.toArray();
  }

  QJsonObject Object(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) Fail(where, QStringLiteral("must be an object"));
    return value.toObject();
  }

  bool Separator(const QJsonObject& object, const QString& where) {
    const QJsonValue value = object.value(QStringLiteral("separator"));
    if (value.isUndefined()) return false;
    if (!value.isBool()) Fail(where, QStringLiteral("\"separator\" must be true or false"));
    return value.toBool();
  }

 private:
  QString error_;
};

constexpr int kMaxId = 0xFFFF;

MenuItem ReadMenuItem(Reader& reader, const QJsonObject& object, const QString& where) {
  MenuItem item;
  item.separator = reader.Separator(object, where);
  if (!item.separator) {
    item.command = reader.Int(object, QStringLiteral("command"), where, 1, kMaxId);
    item.text = reader.Int(object, QStringLiteral("text"), where, 1, kMaxId);
  }
  return item;
}

MenuResource ReadMenu(Reader& reader, const QJsonObject& object, const QString& where) {
  MenuResource menu;
  menu.id = reader.Int(object, QStringLiteral("id"), where, 1, kMaxId);
  const QJsonArray popups = reader.Array(object, QStringLiteral("popups"), where);
  for (qsizetype p = 0; p < popups.size() && !reader.failed(); ++p) {
    const QString popupWhere = where + QStringLiteral(" popup %1").arg(p);
    const QJsonObject popupObject = reader.Object(popups[p], popupWhere);
    MenuPopup popup;
    popup.text = reader.Int(popupObject, QStringLiteral("text"), popupWhere, 0, kMaxId, 0);
    const QJsonArray items = reader.Array(popupObject, QStringLiteral("items"), popupWhere);
    for (qsizetype i = 0; i < items.size() && !reader.failed(); ++i) {
      const QString itemWhere = popupWhere + QStringLiteral(" item %1").arg(i);
      popup.items.push_back(ReadMenuItem(reader, reader.Object(items[i], itemWhere), itemWhere));
    }
    menu.popups.push_back(std::move(popup));
  }
  return menu;
}

MenuBarResource ReadMenuBar(Reader& reader, const QJsonObject& object, const QString& where) {
  MenuBarResource bar;
  bar.id = reader.Int(object, QStringLiteral("id"), where, 1, kMaxId);
  bar.menu = reader.Int(object, QStringLiteral("menu"), where, 1, kMaxId, 0);
  const QJsonArray buttons = reader.Array(object, QStringLiteral("buttons"), where);
  for (qsizetype b = 0; b < buttons.size() && !reader.failed(); ++b) {
    const QString buttonWhere = where + QStringLiteral(" button %1").arg(b);
    const QJsonObject buttonObject = reader.Object(buttons[b], buttonWhere);
    MenuBarButton button;
    button.separator = reader.Separator(buttonObject, buttonWhere);
    if (!button.separator) {
      button.command = reader.Int(buttonObject, QStringLiteral("command"), buttonWhere, 1, kMaxId);
      button.text = reader.Int(buttonObject, QStringLiteral("text"), buttonWhere, 1, kMaxId);
      button.image = reader.Int(buttonObject, QStringLiteral("image"), buttonWhere, 0, 255, -1);
      button.popup = reader.Int(buttonObject, QStringLiteral("popup"), buttonWhere, 0, 255, -1);
    }
    bar.buttons.push_back(button);
  }
  return bar;
}

AcceleratorTable ReadAccelerators(Reader& reader, const QJsonObject& object, const QString& where) {
  AcceleratorTable table;
  table.id = reader.Int(object, QStringLiteral("id"), where, 1, kMaxId);
  const QJsonArray entries = reader.Array(object, QStringLiteral("entries"), where);
  for (qsizetype e = 0; e < entries.size() && !reader.failed(); ++e) {
    const QString entryWhere = where + QStringLiteral(" entry %1").arg(e);
    const QJsonObject entryObject = reader.Object(entries[e], entryWhere);
    Accelerator accelerator;
    const QString keys = entryObject.value(QStringLiteral("key")).toString();
    accelerator.keys = QKeySequence::fromString(keys, QKeySequence::PortableText);
    if (accelerator.keys.count() != 1 || accelerator.keys[0].key() == Qt::Key_unknown) {
      reader.Fail(entryWhere, QStringLiteral("\"key\" must name one key combination"));
    }
    accelerator.command = reader.Int(entryObject, QStringLiteral("command"), entryWhere, 1, kMaxId);
    table.entries.push_back(accelerator);
  }
  return table;
}

template <typename T>
void CheckUniqueIds(Reader& reader, const std::vector<T>& resources, const QString& kind) {
  QSet<int> seen;
  for (const T& resource : resources) {
    if (seen.contains(resource.id)) {
      reader.Fail(kind, QStringLiteral("id %1 given twice").arg(resource.id));
    }
    seen.insert(resource.id);
  }
}

template <typename T>
const T* FindById(const std::vector<T>& resources, int id) {
  for (const T& resource : resources) {
    if (resource.id == id) return &resource;
  }
  return nullptr;
}

void CheckPopups(Reader& reader, const MenuResources& resources) {
  for (const MenuBarResource& bar : resources.menuBars) {
    const QString where = QStringLiteral("menu bar %1").arg(bar.id);
    const MenuResource* menu = FindById(resources.menus, bar.menu);
    if (bar.menu != 0 && menu == nullptr) {
      reader.Fail(where, QStringLiteral("menu %1 does not exist").arg(bar.menu));
    }
    for (const MenuBarButton& button : bar.buttons) {
      if (button.popup < 0) continue;
      if (menu == nullptr || button.popup >= static_cast<int>(menu->popups.size())) {
        reader.Fail(where, QStringLiteral("popup %1 does not exist").arg(button.popup));
      }
    }
  }
}

const MenuResources& CompiledIn() {
  static const MenuResources resources = [] {
    QFile file(kMenuResourcesPath);
    if (!file.open(QIODevice::ReadOnly)) qFatal("the menu resources are not compiled in");
    QString error;
    std::optional<MenuResources> parsed = ParseMenuResources(file.readAll(), &error);
    if (!parsed) qFatal("the compiled-in menu resources are malformed: %s", qUtf8Printable(error));
    return *std::move(parsed);
  }();
  return resources;
}

}  // namespace

std::optional<MenuResources> ParseMenuResources(QByteArrayView json, QString* error) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &parseError);
  Reader reader;
  if (document.isNull()) {
    reader.Fail(QStringLiteral("offset %1").arg(parseError.offset), parseError.errorString());
  } else if (!document.isObject()) {
    reader.Fail(QStringLiteral("document"), QStringLiteral("must be an object"));
  }
  MenuResources resources;
  const QJsonObject root = document.object();
  const QString top = QStringLiteral("document");
  const QJsonArray menus = reader.Array(root, QStringLiteral("menus"), top);
  for (qsizetype i = 0; i < menus.size() && !reader.failed(); ++i) {
    const QString where = QStringLiteral("menu %1").arg(i);
    resources.menus.push_back(ReadMenu(reader, reader.Object(menus[i], where), where));
  }
  const QJsonArray bars = reader.Array(root, QStringLiteral("menuBars"), top);
  for (qsizetype i = 0; i < bars.size() && !reader.failed(); ++i) {
    const QString where = QStringLiteral("menu bar %1").arg(i);
    resources.menuBars.push_back(ReadMenuBar(reader, reader.Object(bars[i], where), where));
  }
  const QJsonArray tables = reader.Array(root, QStringLiteral("accelerators"), top);
  for (qsizetype i = 0; i < tables.size() && !reader.failed(); ++i) {
    const QString where = QStringLiteral("accelerator table %1").arg(i);
    resources.accelerators.push_back(
        ReadAccelerators(reader, reader.Object(tables[i], where), where));
  }
  CheckUniqueIds(reader, resources.menus, QStringLiteral("menus"));
  CheckUniqueIds(reader, resources.menuBars, QStringLiteral("menu bars"));
  CheckUniqueIds(reader, resources.accelerators, QStringLiteral("accelerator tables"));
  CheckPopups(reader, resources);
  if (reader.failed()) {
    if (error != nullptr) *error = reader.error();
    return std::nullopt;
  }
  return resources;
}

const MenuResource* FindMenu(int id) { return FindById(CompiledIn().menus, id); }
const MenuBarResource* FindMenuBar(int id) { return FindById(CompiledIn().menuBars, id); }
const AcceleratorTable* FindAccelerators(int id) { return FindById(CompiledIn().accelerators, id); }

const MenuPopup* ButtonPopup(const MenuBarResource& bar, const MenuBarButton& button) {
  if (button.popup < 0) return nullptr;
  const MenuResource* menu = FindMenu(bar.menu);
  if (menu == nullptr || button.popup >= static_cast<int>(menu->popups.size())) return nullptr;
  return &menu->popups[static_cast<std::size_t>(button.popup)];
}

}  // namespace cw

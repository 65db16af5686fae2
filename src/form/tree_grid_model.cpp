#include "form/tree_grid_model.h"

#include <algorithm>
#include <optional>

namespace bdg {

namespace {

const QString CampoTipoVoce = QStringLiteral("TIPOVOCE");
const QString CampoTipoRecord = QStringLiteral("TIPORECORD");

} // namespace

TreeGridModel::TreeGridModel(const QString& name, QObject* parent) : QAbstractItemModel(parent) {
    setObjectName(name);
}

// ---- Set-up -----------------------------------------------------------------------------

void TreeGridModel::reset() {
    beginResetModel();
    m_inSetUp = true;
    m_columns.clear();
}

void TreeGridModel::setDefinition(const QString& keyField, const QString& parentKeyField,
                                  const QString& layoutKey) {
    m_keyField = keyField;
    m_parentKeyField = parentKeyField;
    m_layoutKey = layoutKey;
}

void TreeGridModel::addColumn(const QString& key, const QString& field, const QString& caption,
                              int kind, int width, bool visible) {
    if (!m_inSetUp)
        beginResetModel();
    m_columns.append(colonna(key.isEmpty() ? field : key, caption, kind, width, visible));
    if (!m_inSetUp) {
        resolveFields();
        endResetModel();
    }
}

void TreeGridModel::setColumnSettings(const QString& key, int settingA, int settingB) {
    if (GridColumn* column = m_columns.find(key)) {
        column->headerSetting = settingA;
        column->cellSetting = settingB;
    }
}

void TreeGridModel::setColumnFormat(const QString& key, const QString& format) {
    if (GridColumn* column = m_columns.find(key))
        column->format = format;
}

void TreeGridModel::setColumnCaption(const QString& key, const QString& caption) {
    const int index = m_columns.indexOf(key);
    if (index < 0)
        return;
    m_columns.find(key)->caption = caption;
    emit headerDataChanged(Qt::Horizontal, index, index);
}

void TreeGridModel::setColumnVisible(const QString& key, bool visible) {
    const int index = m_columns.indexOf(key);
    if (index < 0 || m_columns.at(index).visible == visible)
        return;
    m_columns.find(key)->visible = visible;
    emit headerDataChanged(Qt::Horizontal, index, index);
    emit columnsChanged();
}

void TreeGridModel::endSetUp() {
    resolveFields();
    if (m_inSetUp) {
        m_inSetUp = false;
        endResetModel();
    }
    emit columnsChanged();
}

void TreeGridModel::resolveFields() {
    m_fieldIndex.assign(std::size_t(m_columns.size()), -1);
    m_kindField = -1;
    m_recordKindField = -1;
    if (!m_reader.isOpen())
        return;
    for (int column = 0; column < m_columns.size(); ++column)
        m_fieldIndex[std::size_t(column)] =
            m_reader.fieldIndex(m_columns.at(column).field).value_or(-1);
    m_kindField = m_reader.fieldIndex(CampoTipoVoce).value_or(-1);
    m_recordKindField = m_reader.fieldIndex(CampoTipoRecord).value_or(-1);
}

// ---- Bound rows -------------------------------------------------------------------------

void TreeGridModel::setDataSource(const RecordsetPtr& rows) {
    const int previous = m_current;
    beginResetModel();
    if (rows != m_dataSource) {
        m_dataSource = rows;
        m_mode = Mode::All;
        build();
    }
    resolveFields();
    endResetModel();
    if (m_current != previous)
        emit rowChanged();
}

void TreeGridModel::build() {
    m_nodes.clear();
    m_byKey.clear();
    for (int modeIndex = 0; modeIndex < 2; ++modeIndex) {
        m_topLevel[std::size_t(modeIndex)].clear();
        m_order[std::size_t(modeIndex)].clear();
    }
    m_current = -1;
    m_reader = Recordset();
    if (!m_dataSource || !m_dataSource->isOpen())
        return;
    m_reader = m_dataSource->Clone();
    const int keyField = m_reader.requireField(m_keyField);
    const int parentField = m_reader.requireField(m_parentKeyField);
    const std::optional<int> recordKind = m_reader.fieldIndex(CampoTipoRecord);
    std::vector<std::optional<std::int64_t>> keys;
    std::vector<std::optional<std::int64_t>> parentKeys;
    for (m_reader.MoveFirst(); !m_reader.Eof(); m_reader.MoveNext()) {
        Node node;
        node.row = m_reader.bookmark();
        node.account = recordKind && m_reader.value(*recordKind).toString() == QLatin1String("C");
        keys.push_back(m_reader.value(keyField).toInt64());
        parentKeys.push_back(m_reader.value(parentField).toInt64());
        node.key = keys.back().value_or(0);
        m_nodes.push_back(std::move(node));
    }
    // Key order; rows without a key last, in table order.
    std::vector<int> byKey(m_nodes.size());
    for (std::size_t node = 0; node < byKey.size(); ++node)
        byKey[node] = int(node);
    std::stable_sort(byKey.begin(), byKey.end(), [&](int left, int right) {
        const auto& a = keys[std::size_t(left)];
        const auto& b = keys[std::size_t(right)];
        if (a.has_value() != b.has_value())
            return a.has_value();
        return a.has_value() && *a < *b;
    });
    for (const int node : byKey) {
        if (keys[std::size_t(node)] && !m_byKey.contains(*keys[std::size_t(node)]))
            m_byKey.insert(*keys[std::size_t(node)], node);
    }
    std::vector<int> parents(m_nodes.size(), -1);
    for (const int node : byKey) {
        const auto& parentKey = parentKeys[std::size_t(node)];
        if (!parentKey || !keys[std::size_t(node)])
            continue;
        const int parent = m_byKey.value(*parentKey, -1);
        // A parent sorts before its children; anything else would be a loop.
        if (parent >= 0 && m_nodes[std::size_t(parent)].key < m_nodes[std::size_t(node)].key)
            parents[std::size_t(node)] = parent;
    }
    linkNodes(byKey, parents);
    walkInDisplayOrder(0);
    walkInDisplayOrder(1);
}

void TreeGridModel::linkNodes(const std::vector<int>& byKey, const std::vector<int>& parents) {
    for (const int node : byKey) {
        Node& current = m_nodes[std::size_t(node)];
        current.parent = parents[std::size_t(node)];
        for (int modeIndex = 0; modeIndex < 2; ++modeIndex) {
            if (modeIndex == 1 && current.account)
                continue;
            std::vector<int>& siblings =
                current.parent < 0
                    ? m_topLevel[std::size_t(modeIndex)]
                    : m_nodes[std::size_t(current.parent)].children[std::size_t(modeIndex)];
            current.position[std::size_t(modeIndex)] = int(siblings.size());
            siblings.push_back(node);
        }
    }
}

void TreeGridModel::walkInDisplayOrder(int modeIndex) {
    const auto slot = std::size_t(modeIndex);
    std::vector<int>& order = m_order[slot];
    std::vector<std::pair<int, int>> stack; // node, depth
    for (auto top = m_topLevel[slot].rbegin(); top != m_topLevel[slot].rend(); ++top)
        stack.emplace_back(*top, 0);
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        Node& current = m_nodes[std::size_t(node)];
        current.depth = depth;
        current.order[slot] = int(order.size());
        order.push_back(node);
        const std::vector<int>& children = current.children[slot];
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            stack.emplace_back(*child, depth + 1);
    }
}

void TreeGridModel::setAccountsHidden(bool hidden) {
    const Mode wanted = hidden ? Mode::WithoutAccounts : Mode::All;
    if (wanted == m_mode)
        return;
    beginResetModel();
    m_mode = wanted;
    endResetModel();
    if (m_current >= 0 && m_nodes[std::size_t(m_current)].order[std::size_t(mode())] < 0)
        setCurrentNode(-1);
}

const std::vector<int>& TreeGridModel::childrenOf(int node) const {
    return node < 0 ? m_topLevel[std::size_t(mode())]
                    : m_nodes[std::size_t(node)].children[std::size_t(mode())];
}

Variant TreeGridModel::readValue(int node, int fieldIndex) const {
    if (node < 0 || fieldIndex < 0)
        return Variant();
    m_reader.setBookmark(m_nodes[std::size_t(node)].row);
    return m_reader.value(fieldIndex);
}

// ---- Current row ------------------------------------------------------------------------

void TreeGridModel::setCurrentNode(int node) {
    if (node == m_current)
        return;
    m_current = node;
    emit rowChanged();
}

QModelIndex TreeGridModel::currentIndex() const {
    return indexOfNode(m_current);
}

void TreeGridModel::setCurrentIndex(const QModelIndex& index) {
    setCurrentNode(nodeOf(index));
}

bool TreeGridModel::selectKey(std::int64_t key) {
    const int node = m_byKey.value(key, -1);
    if (node < 0 || m_nodes[std::size_t(node)].order[std::size_t(mode())] < 0)
        return false;
    setCurrentNode(node);
    return true;
}

Variant TreeGridModel::currentValue(QStringView field) const {
    if (m_current < 0)
        return Variant();
    return nodeValue(m_current, field);
}

QModelIndex TreeGridModel::indexOfKey(std::int64_t key, int column) const {
    return indexOfNode(m_byKey.value(key, -1), column);
}

// ---- Display order ----------------------------------------------------------------------

int TreeGridModel::firstNode() const {
    const std::vector<int>& order = m_order[std::size_t(mode())];
    return order.empty() ? -1 : order.front();
}

int TreeGridModel::nextNode(int node) const {
    if (node < 0 || node >= int(m_nodes.size()))
        return -1;
    const std::vector<int>& order = m_order[std::size_t(mode())];
    const int at = m_nodes[std::size_t(node)].order[std::size_t(mode())];
    return at < 0 || at + 1 >= int(order.size()) ? -1 : order[std::size_t(at + 1)];
}

int TreeGridModel::nodeLevel(int node) const {
    return node < 0 || node >= int(m_nodes.size()) ? -1 : m_nodes[std::size_t(node)].depth;
}

Variant TreeGridModel::cellValue(int node, int column) const {
    if (column < 0 || column >= int(m_fieldIndex.size()))
        return Variant();
    return readValue(node, m_fieldIndex[std::size_t(column)]);
}

Variant TreeGridModel::nodeValue(int node, QStringView field) const {
    if (!m_reader.isOpen())
        return Variant();
    return readValue(node, m_reader.fieldIndex(field).value_or(-1));
}

int TreeGridModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return -1;
    return int(index.internalId());
}

QModelIndex TreeGridModel::indexOfNode(int node, int column) const {
    if (node < 0 || node >= int(m_nodes.size()) || column < 0 || column >= m_columns.size())
        return {};
    const int row = m_nodes[std::size_t(node)].position[std::size_t(mode())];
    return row < 0 ? QModelIndex() : createIndex(row, column, quintptr(node));
}

// ---- QAbstractItemModel -----------------------------------------------------------------

QModelIndex TreeGridModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= m_columns.size() || parent.column() > 0)
        return {};
    const std::vector<int>& rows = childrenOf(nodeOf(parent));
    if (parent.isValid() && nodeOf(parent) < 0)
        return {};
    if (row >= int(rows.size()))
        return {};
    return createIndex(row, column, quintptr(rows[std::size_t(row)]));
}

QModelIndex TreeGridModel::parent(const QModelIndex& child) const {
    const int node = nodeOf(child);
    if (node < 0)
        return {};
    return indexOfNode(m_nodes[std::size_t(node)].parent);
}

int TreeGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    if (parent.isValid() && nodeOf(parent) < 0)
        return 0;
    return int(childrenOf(nodeOf(parent)).size());
}

int TreeGridModel::columnCount(const QModelIndex& /*parent*/) const {
    return m_columns.size();
}

QVariant TreeGridModel::data(const QModelIndex& index, int role) const {
    const int node = nodeOf(index);
    if (node < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellValue(node, index.column()).toString();
    case RawValueRole:
        return QVariant::fromValue(cellValue(node, index.column()));
    case NodeKindRole: {
        const auto kind = readValue(node, m_kindField).toInt32();
        return kind ? QVariant(*kind) : QVariant();
    }
    case RecordKindRole:
        return readValue(node, m_recordKindField).toString();
    case LevelRole:
        return m_nodes[std::size_t(node)].depth;
    case KeyRole:
        return qint64(m_nodes[std::size_t(node)].key);
    case NodeImageRole:
        return m_nodeImage ? QVariant(m_nodeImage(node)) : QVariant();
    default:
        return {};
    }
}

QVariant TreeGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).caption;
    if (role == FieldRole)
        return m_columns.at(section).field;
    if (role == FormatRole)
        return m_columns.at(section).format;
    return {};
}

Qt::ItemFlags TreeGridModel::flags(const QModelIndex& index) const {
    if (nodeOf(index) < 0)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace bdg

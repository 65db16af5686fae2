#pragma once

#include "data/recordset.h"
#include "form/grid_columns.h"
#include "form/variant_metatype.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace bdg {

/// The tree grid of the result: a tree item model over the criterion table, one node per
/// row, with the columns the form's set-up describes.
///
/// A node's parent is the row whose key field (KEY_VOCE) equals the node's parent key
/// (KEY_VOCEPADRE); siblings follow in key order. The tree is built once when a new table
/// is bound: the nodes, an index from key to node and the display order, for both the full
/// tree and the tree without account rows (TIPORECORD "C"), so that selecting a node,
/// hiding the accounts and walking the tree never scan the table. A row whose parent key
/// names no row is shown at the top level rather than lost.
///
/// The model answers raw values: the display role gives a value's plain text, the raw
/// value role the exact Variant; the view formats amounts with the column's mask.
class TreeGridModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role {
        RawValueRole = Qt::UserRole + 1, ///< the field's value as a bdg::Variant
        NodeKindRole,                    ///< TIPOVOCE as an int, invalid when Null
        RecordKindRole,                  ///< TIPORECORD: "K", "V" or "C"
        LevelRole,                       ///< depth in the tree, 0 for the criterion
        KeyRole,                         ///< KEY_VOCE as a qint64
        NodeImageRole,                   ///< the node's image index, as the form answers it
        FieldRole,                       ///< header: the column's field name
        FormatRole,                      ///< header: the column's display mask, if any
    };

    explicit TreeGridModel(const QString& name, QObject* parent = nullptr);

    // Set-up, in the order the form's set-up makes it.
    void reset();
    void setDefinition(const QString& keyField, const QString& parentKeyField,
                       const QString& layoutKey);
    QString layoutKey() const { return m_layoutKey; }
    void addColumn(const QString& key, const QString& field, const QString& caption, int kind,
                   int width, bool visible);
    void setColumnSettings(const QString& key, int settingA, int settingB);
    void setColumnFormat(const QString& key, const QString& format);
    void setColumnCaption(const QString& key, const QString& caption);
    void setColumnVisible(const QString& key, bool visible);
    /// The closing calls of the set-up: views lay the columns out again.
    void endSetUp();
    const GridColumns& columns() const { return m_columns; }

    // Bound rows.
    const RecordsetPtr& dataSource() const { return m_dataSource; }
    /// Binds a table. A table other than the bound one is indexed anew and shows every
    /// row; binding the same table again keeps its index and the accounts setting.
    void setDataSource(const RecordsetPtr& rows);
    void setAccountsHidden(bool hidden);
    bool accountsHidden() const { return m_mode == Mode::WithoutAccounts; }
    void refresh() { emit refreshed(); }
    /// The grid's layout refresh after its frame changed.
    void refreshLayout() { ++m_layoutRefreshes; }
    int layoutRefreshes() const { return m_layoutRefreshes; }
    QRect geometry() const { return m_geometry; }
    void setGeometry(const QRect& geometry) { m_geometry = geometry; }

    // Current row.
    QModelIndex currentIndex() const;
    /// Makes the node of `index` current; rowChanged() when it changed.
    void setCurrentIndex(const QModelIndex& index);
    /// Makes the node with key `key` current; false when no shown node has it.
    bool selectKey(std::int64_t key);
    /// A field of the current row; Empty without one.
    Variant currentValue(QStringView field) const;
    QModelIndex indexOfKey(std::int64_t key, int column = 0) const;

    // The shown tree in display order (depth first, siblings by key), for the exports.
    /// The first node; -1 when nothing is bound.
    int firstNode() const;
    /// The node after `node`; -1 after the last.
    int nextNode(int node) const;
    int nodeLevel(int node) const;
    /// The value of column `column` (in column order) of a node.
    Variant cellValue(int node, int column) const;
    Variant nodeValue(int node, QStringView field) const;
    int nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(int node, int column = 0) const;

    /// Answers the image of a node (the form's node-image handler).
    void setNodeImageProvider(std::function<int(int node)> provider) {
        m_nodeImage = std::move(provider);
    }

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void rowChanged();
    void columnsChanged();
    void refreshed();

private:
    enum class Mode { All = 0, WithoutAccounts = 1 };
    struct Node {
        Bookmark row = 0;
        std::int64_t key = 0;
        int parent = -1;
        int depth = 0;
        bool account = false;
        std::array<int, 2> position{{-1, -1}}; ///< row under its parent, per mode
        std::array<int, 2> order{{-1, -1}};    ///< place in the display order, per mode
        std::array<std::vector<int>, 2> children;
    };

    int mode() const { return int(m_mode); }
    const std::vector<int>& childrenOf(int node) const;
    void build();
    void linkNodes(const std::vector<int>& byKey, const std::vector<int>& parents);
    void walkInDisplayOrder(int modeIndex);
    void resolveFields();
    Variant readValue(int node, int fieldIndex) const;
    void setCurrentNode(int node);

    GridColumns m_columns;
    QString m_keyField = QStringLiteral("KEY_VOCE");
    QString m_parentKeyField = QStringLiteral("KEY_VOCEPADRE");
    QString m_layoutKey;
    RecordsetPtr m_dataSource;
    mutable Recordset m_reader; ///< an unsorted clone: a bookmark is reached at once
    std::vector<int> m_fieldIndex;
    int m_kindField = -1;
    int m_recordKindField = -1;
    bool m_inSetUp = false;
    std::vector<Node> m_nodes;
    std::array<std::vector<int>, 2> m_topLevel;
    std::array<std::vector<int>, 2> m_order;
    QHash<std::int64_t, int> m_byKey;
    Mode m_mode = Mode::All;
    int m_current = -1;
    std::function<int(int)> m_nodeImage;
    QRect m_geometry;
    int m_layoutRefreshes = 0;
};

} // namespace bdg

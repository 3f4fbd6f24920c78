// CbList: a doubly linked list whose nodes come from a shared pool.
#pragma once

#include <cbfoundation/base/object/CbListPolicyElementCount.h>
#include <cbfoundation/base/object/CbPlexManager.h>
#include <cbfoundation/base/object/CbSmartPointer.h>

namespace CbListTypes {

/// A list node; the first field doubles as the free-list link in the pool.
template <class T>
struct SNode
{
    /// The next node, or null at the tail.
    SNode* next;
    /// The previous node, or null at the head.
    SNode* previous;
    /// The element.
    T value;
};

} // namespace CbListTypes

/// A doubly linked list of T that counts its elements. Nodes come from a
/// reference-counted pool whose blocks hold BlockSize nodes; removed nodes go
/// back to that pool, not to the heap.
template <class T, unsigned BlockSize, class SizeT>
class CbList : public CbListPolicyElementCount<1, SizeT>
{
public:
    /// The node type and the pool the nodes come from.
    /// @{
    using Node = CbListTypes::SNode<T>;
    using Pool = CbPlexManager<Node, 0, 0, SizeT>;
    /// @}

    /// An empty list with a pool of its own.
    CbList()
        : m_pool(new Pool(BlockSize, BlockSize, 1.0f))
    {}
    ~CbList() { RemoveAll(); }

    /// Copies the values of `other`, in order, into nodes of this list's pool.
    /// @{
    CbList(const CbList& other)
        : CbList()
    {
        append(other);
    }
    CbList& operator=(const CbList& other)
    {
        if (this != &other) {
            RemoveAll();
            append(other);
        }
        return *this;
    }
    /// @}

    /// Whether the list is empty; its first and last node (null when empty).
    /// @{
    bool IsEmpty() const { return m_head == nullptr; }
    Node* GetHead() const { return m_head; }
    Node* GetTail() const { return m_tail; }
    /// @}

    /// Appends `value`; throws CbExceptionOutOfMemory when the pool cannot grow.
    void AddTail(const T& value)
    {
        Node* node = m_pool->Allocate();
        this->incElementCount();
        node->previous = m_tail;
        node->next = nullptr;
        node->value = value;
        if (m_tail)
            m_tail->next = node;
        else
            m_head = node;
        m_tail = node;
    }

    /// Hands every node back to the pool; the count becomes 0.
    void RemoveAll()
    {
        if (!m_head)
            return;
        m_head->previous = nullptr;
        m_tail->next = nullptr;
        for (Node* node = m_head; node;) {
            Node* next = node->next;
            m_pool->Free(node);
            this->decElementCount();
            node = next;
        }
        m_head = m_tail = nullptr;
    }

    /// Range-for support over the values.
    class Iterator
    {
    public:
        /// Starts at `node`; null is the end.
        explicit Iterator(Node* node)
            : m_node(node)
        {}
        /// The value of the node.
        const T& operator*() const { return m_node->value; }
        /// Moves to the next node.
        Iterator& operator++()
        {
            m_node = m_node->next;
            return *this;
        }
        /// Whether the two iterators are at different nodes.
        bool operator!=(const Iterator& other) const { return m_node != other.m_node; }

    private:
        Node* m_node;
    };

    /// Range-for over the values, from head to tail.
    /// @{
    Iterator begin() const { return Iterator(m_head); }
    Iterator end() const { return Iterator(nullptr); }
    /// @}

private:
    void append(const CbList& other)
    {
        for (const T& value : other)
            AddTail(value);
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    CbSmartPointer<Pool> m_pool;
};

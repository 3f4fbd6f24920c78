// CbMap: a chained hash map whose records come from a CbPlexManager pool.
#pragma once

#include <cbfoundation/base/exceptions/CbIDumpable.h>
#include <cbfoundation/base/exceptions/Condition.h>
#include <cbfoundation/base/object/CbCriticalSectionPolicy.h>
#include <cbfoundation/base/object/CbHashKey.h>
#include <cbfoundation/base/object/CbPlexManagerPolicy.h>
#include <cbfoundation/base/object/CbScopedPointer.h>

#include <cstdint>

namespace CbMapTypes {

/// One key/value record of a CbMap, chained within its bucket. A free record
/// reuses the key field as the link of the pool's free list.
template <class Key, class Value>
struct SAssociation
{
    /// The key.
    Key key;
    /// The value.
    Value value;
    /// The next record of the bucket's chain, or null.
    SAssociation* next;
    /// The index of the record's bucket.
    unsigned bucket;
    /// The key's full hash. It sits where the record would otherwise have
    /// padding, and lets a lookup skip the records of its chain whose keys
    /// cannot match without comparing their texts.
    unsigned hash;
};

} // namespace CbMapTypes

/// A hash map with separate chaining. New records go to the head of their
/// bucket's chain; the map iterates buckets in index order and each chain
/// from its head ("map order"). The bucket count changes only through
/// InitHashTable: the map never rehashes by itself.
///
/// Reserved is carried for source compatibility and has no effect.
template <class Key, class Value, int Reserved, class SizeT, class Hash>
class CbMap : public CbCriticalSectionPolicy<0>,
              public CbPlexManagerPolicy<CbMapTypes::SAssociation<Key, Value>, SizeT>,
              public CbIDumpable<0>
{
public:
    static_assert(sizeof(SizeT) == 4, "bucket indices and hashes are 32-bit");

    /// The record type.
    using Association = CbMapTypes::SAssociation<Key, Value>;

    /// An empty map with `bucketCount` buckets (no bucket array for 0) whose
    /// records come in blocks of the given pool settings.
    explicit CbMap(SizeT bucketCount = 17, SizeT initialBlockSize = 10, SizeT fixedBlockSize = 0,
                   float growthFactor = 1.0f)
        : CbPlexManagerPolicy<Association, SizeT>(initialBlockSize, fixedBlockSize, growthFactor)
        , m_bucketCount(bucketCount)
        , m_bucketDivisor(divisorFor(bucketCount))
        , m_buckets(bucketCount ? new Association*[bucketCount]() : nullptr)
    {}

    virtual ~CbMap() { delete[] m_buckets; }

    /// The number of records, and the number of buckets.
    /// @{
    SizeT GetCount() const { return m_count; }
    SizeT GetHashTableSize() const { return m_bucketCount; }
    /// @}

    /// Sets the number of buckets to `count` and moves every record into its
    /// new bucket. Throws CbExceptionCondition for 0 and
    /// CbExceptionPreconditionViolation when the map has no bucket array.
    void InitHashTable(SizeT count)
    {
        if (count == 0) {
            Condition::HandleUnfulfilledCondition("CbMap", 884, initHashTableFunctionName(),
                                                  Condition::eConditionHandlingThrow);
            return;
        }
        if (count == m_bucketCount)
            return;
        CbScopedPointer<Association*[]> old(m_buckets);
        const SizeT oldCount = m_bucketCount;
        m_buckets = new Association*[count]();
        m_bucketCount = count;
        m_bucketDivisor = divisorFor(count);
        for (SizeT i = 0; i < oldCount; ++i) {
            for (Association* a = old[i]; a;) {
                Association* next = a->next;
                pushFront(a, bucketOf(a->hash));
                a = next;
            }
        }
    }

    /// The record of `key`, or null.
    Association* Lookup(const Key& key) const
    {
        if (!m_buckets)
            return nullptr;
        const unsigned hash = Hash::Hash(key);
        for (Association* a = m_buckets[bucketOf(hash)]; a; a = a->next) {
            if (a->hash == hash && Hash::Equal(a->key, key))
                return a;
        }
        return nullptr;
    }

    /// Adds a record for `key` (which must not be present yet) with a
    /// zero-initialised value, at the head of its bucket, and returns it.
    Association* Insert(const Key& key)
    {
        Association* a = this->pool().Allocate();
        a->key = key;
        a->value = Value();
        a->hash = Hash::Hash(key);
        pushFront(a, bucketOf(a->hash));
        ++m_count;
        return a;
    }

    /// Unlinks a record obtained from Lookup or Insert and returns it to the pool.
    void Remove(Association* association)
    {
        for (Association** link = &m_buckets[association->bucket]; *link; link = &(*link)->next) {
            if (*link == association) {
                *link = association->next;
                this->pool().Free(association);
                --m_count;
                return;
            }
        }
    }

    /// Calls visit(association) for every record, in map order.
    template <class Visitor>
    void ForEach(Visitor&& visit) const
    {
        for (SizeT i = 0; i < m_bucketCount && m_buckets; ++i) {
            for (Association* a = m_buckets[i]; a; a = a->next)
                visit(*a);
        }
    }

private:
    /// The function text that InitHashTable's condition failure reports.
    static const char* initHashTableFunctionName() { return "CbMap::InitHashTable"; }

    // hash mod bucket count without a division instruction (Lemire's
    // "fastmod"): lookups are dominated by the division otherwise.
    static std::uint64_t divisorFor(SizeT count) { return count ? ~std::uint64_t(0) / count + 1 : 0; }

    SizeT bucketOf(unsigned hash) const
    {
        const std::uint64_t low = m_bucketDivisor * hash;
        return static_cast<SizeT>((static_cast<unsigned __int128>(low) * m_bucketCount) >> 64);
    }

    void pushFront(Association* a, SizeT bucket)
    {
        a->bucket = static_cast<unsigned>(bucket);
        a->next = m_buckets[bucket];
        m_buckets[bucket] = a;
    }

    SizeT m_count = 0;
    SizeT m_bucketCount;
    std::uint64_t m_bucketDivisor;
    Association** m_buckets;
};

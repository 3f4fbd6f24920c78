// CbCriticalSectionPolicy: the locking policy of the containers.
#pragma once

/// Chooses whether a container locks. The library's containers use
/// CbCriticalSectionPolicy<0>: they take no lock and hold nothing.
template <bool Locking>
class CbCriticalSectionPolicy;

template <>
class CbCriticalSectionPolicy<0>
{};

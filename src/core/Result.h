// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Failure.h"

#include <optional>
#include <utility>
#include <variant>

/**
 * What a step that can fail gives back: its value, or the Failure that says why there is none. The
 * caller must look at it. Result<> is a step with no value of its own (a save, a removal).
 *
 *     Result<QByteArray> content = fileSystem.readFile(path);
 *     if (!content)
 *         return content.failure().prefixed(path + QStringLiteral(": "));
 */
template<typename T = void> class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    /** The value; only when ok(). */
    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    /** Why it failed; only when !ok(). */
    const Failure& failure() const { return std::get<1>(m_state); }
    /** The reason in words, empty when it did not fail. */
    QString reason() const { return ok() ? QString() : failure().reason; }

private:
    std::variant<T, Failure> m_state;
};

template<> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure) : m_failure(std::move(failure)) {}

    bool ok() const { return !m_failure; }
    explicit operator bool() const { return ok(); }

    /** Why it failed; only when !ok(). */
    const Failure& failure() const { return *m_failure; }
    /** The reason in words, empty when it did not fail. */
    QString reason() const { return m_failure ? m_failure->reason : QString(); }

private:
    std::optional<Failure> m_failure;
};

#pragma once

#include <optional>
#include <utility>
#include <variant>

// A value or the error that prevented it; the small result type every area uses for typed failures.
template<typename T, typename E> class [[nodiscard]] Expected
{
public:
    Expected(const T &value) : m_state(std::in_place_index<0>, value) { }
    Expected(T &&value) : m_state(std::in_place_index<0>, std::move(value)) { }
    static Expected failure(E error) { return Expected(std::in_place_index<1>, std::move(error)); }

    bool hasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    const T &value() const & { return std::get<0>(m_state); }
    T &value() & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const T &operator*() const & { return value(); }
    T &operator*() & { return value(); }
    const T *operator->() const { return &value(); }
    T *operator->() { return &value(); }

    const E &error() const { return std::get<1>(m_state); }

    T valueOr(T fallback) const { return hasValue() ? value() : std::move(fallback); }

private:
    template<std::size_t I, typename V>
    Expected(std::in_place_index_t<I> index, V &&v) : m_state(index, std::forward<V>(v))
    { }
    std::variant<T, E> m_state;
};

// The outcome of an operation that gives nothing back but may fail.
template<typename E> class [[nodiscard]] Expected<void, E>
{
public:
    Expected() = default;
    static Expected failure(E error)
    {
        Expected result;
        result.m_error = std::move(error);
        return result;
    }

    bool hasValue() const { return !m_error.has_value(); }
    explicit operator bool() const { return hasValue(); }
    const E &error() const { return *m_error; }

private:
    std::optional<E> m_error;
};

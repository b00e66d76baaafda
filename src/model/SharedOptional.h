#pragma once

#include <memory>
#include <optional>
#include <utility>

// An optional value that its copies share until one of them is changed, for a large member that most records
// leave out: it takes the room of one pointer, and a copy of the record copies no part of the value. It reads as
// std::optional does and converts to and from it; the value's own equality decides whether two are equal.
template<typename T> class SharedOptional
{
public:
    SharedOptional() = default;
    SharedOptional(std::nullopt_t) { }
    SharedOptional(T value) : m_value(std::make_shared<T>(std::move(value))) { }
    SharedOptional(std::optional<T> value)
    {
        if (value)
            m_value = std::make_shared<T>(std::move(*value));
    }

    bool has_value() const { return m_value != nullptr; }
    explicit operator bool() const { return has_value(); }

    const T &operator*() const { return *m_value; }
    const T *operator->() const { return m_value.get(); }
    // Changing the value through one copy leaves the others as they were.
    T &operator*() { return *detached(); }
    T *operator->() { return detached(); }

    const T &value() const
    {
        if (!m_value)
            throw std::bad_optional_access();
        return *m_value;
    }
    void reset() { m_value.reset(); }

    operator std::optional<T>() const { return m_value ? std::optional<T>(*m_value) : std::nullopt; }

    friend bool operator==(const SharedOptional &a, const SharedOptional &b)
    {
        if (a.m_value == b.m_value)
            return true;
        return a.m_value && b.m_value && *a.m_value == *b.m_value;
    }

private:
    T *detached()
    {
        if (m_value && m_value.use_count() > 1)
            m_value = std::make_shared<T>(*m_value);
        return m_value.get();
    }

    std::shared_ptr<T> m_value;
};

#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// A thin owner of one SQLite connection. Errors throw std::runtime_error. Not thread-safe by
// itself: the gateway serialises all use behind one mutex.
class Database
{
public:
    class Statement
    {
    public:
        Statement(sqlite3* db, const std::string& sql);
        Statement(Statement&& other) noexcept;
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;
        ~Statement();

        Statement& bind(int index, std::int64_t value);
        Statement& bind(int index, const std::string& value);
        Statement& bind(int index, const char* value) { return bind(index, std::string(value)); }

        // Advances to the next row; false when there is none (the statement has run to completion).
        bool step();

        int columnCount() const;
        std::string columnName(int column) const;
        bool isNull(int column) const;
        bool isInteger(int column) const;
        std::int64_t integer(int column) const;
        std::string text(int column) const;

    private:
        sqlite3* m_db;
        sqlite3_stmt* m_stmt = nullptr;
    };

    explicit Database(const std::string& path);
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    void exec(const std::string& sql);

    // Prepares `sql` and binds the arguments to ?1, ?2, ...
    template <typename... Args> Statement query(const std::string& sql, const Args&... args)
    {
        Statement statement(m_db, sql);
        int index = 0;
        (statement.bind(++index, args), ...);
        return statement;
    }

    // Runs a statement that returns no rows; returns the number of rows it changed.
    template <typename... Args> int run(const std::string& sql, const Args&... args)
    {
        query(sql, args...).step();
        return changes();
    }

    // The first column of the first row, or `fallback` when there is no row or it is NULL.
    template <typename... Args> std::int64_t scalar(std::int64_t fallback, const std::string& sql, const Args&... args)
    {
        Statement statement = query(sql, args...);
        return statement.step() && !statement.isNull(0) ? statement.integer(0) : fallback;
    }

    std::int64_t lastInsertId() const;
    int changes() const;

    // BEGIN IMMEDIATE ... COMMIT, rolled back when destroyed without commit().
    class Transaction
    {
    public:
        explicit Transaction(Database& db);
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        ~Transaction();
        void commit();

    private:
        Database& m_db;
        bool m_done = false;
    };

private:
    sqlite3* m_db = nullptr;
};

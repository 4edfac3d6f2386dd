#include "tableio/column.h"

CColumn::CColumn(const std::string& name, std::int16_t sqlType, std::int32_t size,
                 std::int16_t decimals, std::int16_t nullable, std::int32_t flags)
    : m_strName(name),
      m_nSqlType(sqlType),
      m_nSize(size),
      m_nDecimals(decimals),
      m_nNullable(nullable),
      m_nFlags(flags) {}

CColumn::CColumn(CColumnDesc desc)
    : m_nPosition(desc.m_nPosition),
      m_sourceNumbers{desc.m_nSource},
      m_sourcePositions{desc.m_nPosition},
      m_strName(std::move(desc.m_strName)),
      m_nSqlType(desc.m_nSqlType),
      m_nSize(desc.m_nSize),
      m_nDecimals(desc.m_nDecimals),
      m_nNullable(desc.m_nNullable),
      m_nFlags(desc.m_nFlags) {}

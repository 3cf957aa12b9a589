// The globals pass over DWARF 2 debugging information (CELFGlobals::ReadDwarf2Globals).
//
// Every unit becomes a module. The pass writes what the symbol engine needs before any
// module is read: the modules with their source files and the sections they fill, the
// functions, and the variables that have a fixed address, wherever they are declared.
// The module pass (CELFFile) reads the rest of a unit when it is asked for.
//
// Reading a unit takes about as long as writing its rows, and units do not depend on
// each other: threads read the units ahead (dwarf2unitglobals.cpp) while this thread
// writes the rows of each in the order of the units, so a large program loads in about
// the time its rows take to write. A unit that cannot be read whole gives no rows.
#include "elfglobals.h"

#include <diaghelper.h>
#include <nameencoding.h>
#include <packedindex.h>
#include <symbolwriters.h>

#include "progfilepaths.h"
#include "varedcheck.h"

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// How far the reading threads may run ahead of the writer, in units: enough to keep
// them busy, few enough that the units read and not yet written stay small.
const size_t READ_AHEAD = 256;

// The offsets of the units of ".debug_info", by their lengths. A unit of another format
// is stepped over by its length too; the walk ends where no unit can start.
std::vector<DWORD> UnitOffsets(const Dwarf2Sections &sections)
{
    std::vector<DWORD> offsets;
    CDwarf2EntryReader reader(sections);
    DWORD offset = 0;
    while (offset < sections.infoSize) {
        const CDwarf2EntryReader::UnitStatus status = reader.BeginUnit(offset);
        if (status == CDwarf2EntryReader::UNIT_END)
            break;
        offsets.push_back(offset);
        const DWORD next = reader.GetUnit().end;
        if (next <= offset)
            break;
        offset = next;
    }
    return offsets;
}

// The units read by the threads, handed to the writer in order.
//
// Each wake costs a system call and a switch of threads, so the writer wakes only who is
// waiting for what it did: a reader that has run READ_AHEAD units ahead sleeps until half
// of that room is free again (all readers together, as they all wait for the same room),
// and a reader wakes the writer only for the unit it waits for.
class UnitQueue {
public:
    explicit UnitQueue(size_t count) : m_units(count) {}

    // The next unit to read, or false when there is none (or the writer gave up).
    bool Take(size_t *index)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (!HasRoom()) {
            ++m_sleepingReaders;
            m_room.wait(lock, [&] { return HasRoom(); });
            --m_sleepingReaders;
        }
        if (m_stopped || m_next >= m_units.size())
            return false;
        *index = m_next++;
        return true;
    }
    void Put(size_t index, std::unique_ptr<Dwarf2UnitGlobals> unit)
    {
        bool awaited;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_units[index] = std::move(unit);
            awaited = m_writerWaiting && index == m_written;
        }
        if (awaited)
            m_ready.notify_one();
    }
    // Waits for unit `index`, the one after those written, which the writer then owns.
    std::unique_ptr<Dwarf2UnitGlobals> Wait(size_t index)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_writerWaiting = true;
        m_ready.wait(lock, [&] { return m_units[index] != nullptr; });
        m_writerWaiting = false;
        return std::move(m_units[index]);
    }
    void Written(size_t count)
    {
        bool wake;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_written = count;
            wake = m_sleepingReaders > 0 && m_next < m_written + READ_AHEAD / 2;
        }
        if (wake)
            m_room.notify_all();
    }
    void Stop()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stopped = true;
        }
        m_room.notify_all();
    }

private:
    bool HasRoom() const { return m_stopped || m_next >= m_units.size() || m_next < m_written + READ_AHEAD; }

    std::mutex m_lock;
    std::condition_variable m_ready, m_room;
    std::vector<std::unique_ptr<Dwarf2UnitGlobals>> m_units;
    size_t m_next = 0;
    size_t m_written = 0;
    size_t m_sleepingReaders = 0;
    bool m_writerWaiting = false;
    bool m_stopped = false;
};

// What each reading thread does: reads the units the queue gives it, until none is left.
void ReadUnits(UnitQueue &queue, Dwarf2Sections sections, const std::vector<DWORD> &offsets, const BYTE *line,
               DWORD lineSize, const std::vector<SectionTag> &records)
{
    CDwarf2EntryReader reader(sections);
    reader.SetReadLocationLists(false);
    size_t index;
    while (queue.Take(&index)) {
        auto unit = std::make_unique<Dwarf2UnitGlobals>();
        try {
            ReadDwarf2UnitGlobals(reader, offsets[index], line, lineSize, records, unit.get());
        } catch (...) {
            // Out of memory: the unit is lost, not the load.
            unit = std::make_unique<Dwarf2UnitGlobals>();
            unit->offset = offsets[index];
            unit->readable = false;
            unit->diagnostic.Format("unit at %#x: no memory to read it", offsets[index]);
        }
        queue.Put(index, std::move(unit));
    }
}

// The threads that read the units; they stop and are joined when the object goes, also
// when the writer leaves by an exception.
class UnitReaders {
public:
    UnitReaders(UnitQueue &queue, const Dwarf2Sections &sections, const std::vector<DWORD> &offsets,
                const BYTE *line, DWORD lineSize, const std::vector<SectionTag> &records)
        : m_queue(queue)
    {
        const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
        const size_t count = std::min<size_t>({cores - 1, 7, offsets.size()});
        for (size_t i = 0; i < count; ++i) {
            try {
                m_threads.emplace_back(ReadUnits, std::ref(queue), sections, std::cref(offsets), line, lineSize,
                                       std::cref(records));
            } catch (const std::system_error &) {
                break; // the process has no more threads to give: the writer reads the rest
            }
        }
    }
    bool Running() const { return !m_threads.empty(); }
    ~UnitReaders()
    {
        m_queue.Stop();
        for (std::thread &thread : m_threads)
            thread.join();
    }

private:
    UnitQueue &m_queue;
    std::vector<std::thread> m_threads;
};

} // namespace

void CELFGlobals::CheckVarEd()
{
    CQelDiagHelper diagnostics(GetHostObject(), "QelSymbolEngine", nullptr);
    const int index = GetImage().FindSection(".VarEd_Info");
    DWORD size = 0;
    const BYTE *text = index >= 0 ? GetSectionData(index, &size) : nullptr;
    static const BYTE empty = 0;
    if (index >= 0 && text == nullptr)
        text = &empty;
    CheckVarEdInfo(GetHostObject(), text, size, m_varEd, diagnostics);
}

void CELFGlobals::ResolveVarEdVariable(LPCSTR name, DWORD address)
{
    if (!m_varEd.WantsVariable(name))
        return;
    m_symbols.SetBookmark(m_symbols.GetLastModifiedBookmark());
    m_varEd.ResolveVariable(name, m_symbols.m_SymbolIndex, address);
}

Dwarf2Sections CELFGlobals::GetDwarf2Sections() const
{
    Dwarf2Sections sections;
    DWORD size = 0;
    sections.info = GetDebugSectionData(ELF_DEBUG_INFO, &size);
    sections.infoSize = sections.info != nullptr ? size : 0;
    sections.abbrev = GetDebugSectionData(ELF_DEBUG_ABBREV, &size);
    sections.abbrevSize = sections.abbrev != nullptr ? size : 0;
    sections.str = GetDebugSectionData(ELF_DEBUG_STR, &size);
    sections.strSize = sections.str != nullptr ? size : 0;
    sections.loc = GetDebugSectionData(ELF_DEBUG_LOC, &size);
    sections.locSize = sections.loc != nullptr ? size : 0;
    sections.bigEndian = GetEncoding() == ELFDATA2MSB;
    return sections;
}

BOOL CELFGlobals::HasDwarf2Only() const
{
    return GetDebugSection(ELF_DEBUG_INFO) >= 0 && GetDebugSection(ELF_DEBUG_ABBREV) >= 0 &&
           GetDebugSection(ELF_DEBUG) < 0;
}

int CELFGlobals::ReadDwarf2Globals(HWND progressWindow, DWORD *position)
{
    const Dwarf2Sections sections = GetDwarf2Sections();
    DWORD lineSize = 0;
    const BYTE *line = GetDebugSectionData(ELF_DEBUG_LINE, &lineSize);
    const std::vector<DWORD> offsets = UnitOffsets(sections);
    const DWORD start = *position;
    {
        UnitQueue queue(offsets.size());
        UnitReaders readers(queue, sections, offsets, line, lineSize, GetSectionRecords());
        CDwarf2EntryReader reader(sections);
        reader.SetReadLocationLists(false);
        for (size_t index = 0; index < offsets.size(); ++index) {
            std::unique_ptr<Dwarf2UnitGlobals> unit;
            if (readers.Running()) {
                unit = queue.Wait(index);
            } else {
                unit = std::make_unique<Dwarf2UnitGlobals>();
                ReadDwarf2UnitGlobals(reader, offsets[index], line, lineSize, GetSectionRecords(), unit.get());
            }
            queue.Written(index + 1);
            if (!unit->readable)
                SetNotice("%s", static_cast<LPCSTR>(unit->diagnostic));
            else if (unit->isCompileUnit)
                WriteDwarf2Unit(*unit);
            *position = start + (index + 1 < offsets.size() ? offsets[index + 1] : static_cast<DWORD>(sections.infoSize));
            PostProgressPosition(progressWindow, *position);
        }
    }
    if (!m_varEd.IsEmpty()) {
        CQelDiagHelper diagnostics(GetHostObject(), "QelSymbolEngine", nullptr);
        m_varEd.WriteRows(m_symbols, diagnostics);
    }
    return 1;
}

void CELFGlobals::WriteDwarf2Unit(const Dwarf2UnitGlobals &unit)
{
    const LONG modul = m_moduls.GetRecordCount() + 1;
    if (modul > kMaxPackedModul) {
        SetNotice("unit at %#x: module %d is beyond what the database can number; the unit is not read", unit.offset,
                  static_cast<int>(modul));
        return;
    }
    m_moduls.AddNew();
    m_moduls.m_ModulIndex = modul;
    m_moduls.m_Analyzed = FALSE;
    m_moduls.m_Offset = static_cast<LONG>(unit.offset);
    if (!unit.name.IsEmpty())
        m_moduls.m_Name = ExtractFileName(unit.name);
    else
        m_moduls.m_Name.Format("_unnamed_modul%d", static_cast<int>(modul));
    m_moduls.Update();

    // The line table's files and the sections its code lies in; each file is registered
    // once, however often the rows switch between the unit's files.
    m_nCurrentSection = -1;
    m_nCurrentSourceFile = 0;
    struct RegisteredFile {
        DWORD number;
        LONG index;
        CString path;
    };
    std::vector<RegisteredFile> registered;
    for (const Dwarf2UnitGlobals::LineEvent &event : unit.lines) {
        if (event.section >= 0) {
            RecordSectionRelation(event.section);
            continue;
        }
        auto known = std::find_if(registered.begin(), registered.end(),
                                  [&](const RegisteredFile &file) { return file.number == event.file; });
        if (known != registered.end()) {
            m_nCurrentSourceFile = known->index;
            m_nCurrentSection = -1;
        } else {
            RegisterSourceFile(event.name, TRUE, event.directory);
            registered.push_back({event.file, m_nCurrentSourceFile, m_strCurrentSourcePath});
        }
    }
    if (!unit.lineTableHasFiles && !unit.name.IsEmpty())
        RegisterSourceFile(unit.name, FALSE, unit.compilationDirectory);
    // The unit's own file is mostly one of its line table's, so the path is looked for
    // among those first (blind to case, as the table's index compares).
    LONG unitFile = -1;
    if (!unit.name.IsEmpty()) {
        CString completed, fallback;
        SourcePathForms(unit.name, unit.compilationDirectory, &completed, &fallback);
        auto own = std::find_if(registered.begin(), registered.end(), [&](const RegisteredFile &file) {
            return file.path.CompareNoCase(completed) == 0 || file.path.CompareNoCase(fallback) == 0;
        });
        unitFile = own != registered.end() ? own->index : FindSourceFile(unit.name, unit.compilationDirectory);
    }

    std::vector<LONG> functionIndexes;
    functionIndexes.reserve(unit.functions.size());
    for (const Dwarf2UnitGlobals::Item &item : unit.items) {
        if (item.isFunction) {
            const Dwarf2UnitGlobals::Function &function = unit.functions[item.index];
            RecordSectionRelation(function.section);
            const LONG index = m_functions.GetRecordCount() + 1;
            m_functions.AddNew();
            m_functions.m_FunctionIndex = index;
            m_functions.m_Name = function.name;
            EncodeNameString(function.name, m_functions.m_NameString);
            m_functions.m_AddressMode = 1;
            m_functions.m_AddressValue = static_cast<LONG>(function.low);
            m_functions.m_Length = static_cast<LONG>(function.length);
            m_functions.m_ReturnType = PackIndexChecked(modul, static_cast<LONG>(function.returnType), FALSE);
            m_functions.m_SectionIndex = function.section;
            m_functions.m_Scope = function.external ? -modul : modul;
            m_functions.m_CallType = function.inlined ? 5 : 0;
            m_functions.Update();
            functionIndexes.push_back(index);
            if (function.external)
                m_varEd.ResolveFunction(function.name, function.low, function.length);
            if (function.inlined) {
                SymbolRecordTag label;
                label.Modul = -1;
                label.Name = function.name;
                label.ScopeIndex = -1;
                label.Data[0] = 0;
                label.Data[1] = 1;
                label.Data[2] = static_cast<LONG>(function.low);
                label.Data[3] = 0;
                WriteStaticLabelSymbol(label, m_symbols);
            }
            continue;
        }
        const Dwarf2UnitGlobals::Variable &variable = unit.variables[item.index];
        SymbolRecordTag record;
        record.Modul = modul;
        record.Name = variable.name;
        record.ScopeIndex = modul;
        record.Data[0] = variable.type;
        record.Data[1] = variable.mode;
        record.Data[2] = static_cast<LONG>(variable.address);
        record.Data[3] = variable.extra;
        record.Data[4] = unitFile;
        record.Data[5] = variable.function > 0 ? functionIndexes[variable.function - 1] : 0;
        if (variable.symbolId == 3) {
            record.ScopeIndex = PackIndexChecked(modul, static_cast<LONG>(variable.scope), FALSE);
            WriteLocalStaticSymbol(record, m_symbols, FALSE);
        } else if (variable.symbolId == 5) {
            WriteGlobalSymbol(record, m_symbols, FALSE);
            ResolveVarEdVariable(variable.name, variable.address);
        } else {
            WriteModulStaticSymbol(record, m_symbols, FALSE);
        }
    }
}

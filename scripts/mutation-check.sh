#!/usr/bin/env bash
# Mutation check of the test suite: plants a fixed list of typical faults into a copy of the
# sources, one at a time, rebuilds only the tests that fault names (those that exercise the
# changed code), runs them and reports which faults no test caught.
#
#   scripts/mutation-check.sh                 every fault
#   scripts/mutation-check.sh --list          the faults, without building anything
#   scripts/mutation-check.sh --check         whether every fault still applies
#   scripts/mutation-check.sh ID...           only the faults named
#
# Environment: MUTATION_DIR (default /tmp/bdgintric-mutation: the copy and its build, kept
# between runs so that later runs build incrementally), MUTATION_JOBS (default 2),
# MUTATION_NICE (default 10), MUTATION_WIDE=1 (run every test of the faulty folder's layer as
# well, slower), MUTATION_PG=1 (also run the database tests on a private PostgreSQL, as
# scripts/run-tests.sh does; slower). The copy takes the working tree as it is, uncommitted changes included; the
# working tree itself is never written.
#
# Exit status: 0 when every fault applied, built and ran (caught or not); 1 when a fault's
# text is no longer in its file exactly once (the list must follow the code), when a mutant
# does not build, or when the unmutated tests fail.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${MUTATION_DIR:-/tmp/bdgintric-mutation}
jobs=${MUTATION_JOBS:-2}
niceness=${MUTATION_NICE:-10}
tree=$work/tree
build=$work/build
# The system's interpreter where there is one: version-manager shims cost a second a call.
python=$(command -v /usr/bin/python3 || command -v python3)

# ---------------------------------------------------------------------------------------
# The faults. fault ID FILE OLD NEW TESTS: replace OLD (which must occur exactly once in
# FILE) by NEW and run TESTS (test names, `|` between them); `also FILE OLD NEW` adds a
# further replacement to the last fault.
ids=() files=() olds=() news=() extras=() alsos=()
fault() {
    ids+=("$1") files+=("$2") olds+=("$3") news+=("$4") extras+=("$5") alsos+=("")
}
also() {
    local last=$((${#ids[@]} - 1))
    alsos[last]+="$1"$'\x1f'"$2"$'\x1f'"$3"$'\x1e'
}

# src/data
fault decimal-half-even-for-half-away src/data/decimal.cpp \
    'return rounding == Rounding::HalfAwayFromZero || quotientIsOdd;' \
    'return rounding == Rounding::HalfEven || quotientIsOdd;' \
    'data_test_decimal'
fault decimal-text-drops-leading-zero src/data/decimal.cpp \
    'while (end - begin < scale + 1)' 'while (end - begin < scale)' \
    'data_test_decimal'
fault sql-text-quote-not-doubled src/data/sql_literal.cpp \
    "quoted.replace(QLatin1Char('\\''), QStringLiteral(\"''\"));" \
    "quoted.replace(QLatin1Char('\\''), QStringLiteral(\"'\"));" \
    'data_test_sql_literal|faults_test_faults'
fault filter-less-equal-as-less src/data/recordset_filter.cpp \
    'return order <= 0;' 'return order < 0;' \
    'data_test_recordset_filter'
fault variant-null-as-zero src/data/variant.cpp \
    $'return std::nullopt;\n    case Type::Boolean:\n        return Decimal(' \
    $'return Decimal(0);\n    case Type::Boolean:\n        return Decimal(' \
    'data_test_variant|engine_test_totali_criterio'
fault nvl-blank-text-kept src/data/variant.cpp \
    '(isText() && withoutTrailingBlanks(textView()).isEmpty())' '(false && isText())' \
    'data_test_variant|engine_test_elabora_fixtures'
fault sort-descending-ignored src/data/recordset_sort.cpp \
    'return key.descending ? order > 0 : order < 0;' 'return order < 0;' \
    'data_test_recordset_cursor|data_test_recordset_fields'
fault sorted-order-kept-after-key-write src/data/recordset_sort.cpp \
    'changes += table.fieldWrites(key.field);' 'changes += 0 * table.fieldWrites(key.field);' \
    'data_test_recordset_cursor'
fault whole-number-sort-descending-ignored src/data/recordset_sort.cpp \
    'return key.descending ? left.first > right.first : left.first < right.first;' \
    'return left.first < right.first;' \
    'data_test_recordset_cursor'
fault filter-template-quote-not-doubled src/data/recordset_filter.cpp \
    $'doubled.replace(QLatin1Char(\'\\\'\'), QStringLiteral("\'\'"));' 'static_cast<void>(0);' \
    'data_test_recordset_filter'
fault keyed-rows-kept-after-key-write src/data/recordset_filter.cpp \
    'changes += table.fieldWrites(term.field);' 'changes += 0 * table.fieldWrites(term.field);' \
    'data_test_recordset_filter'
fault keyed-rows-holes-not-checked-again src/data/recordset_filter.cpp \
    'keep = RecordsetFilter::satisfiedBy(table, at->second, bound.m_terms[m_holes[index]]);' \
    'keep = true;' \
    'data_test_recordset_filter'
fault result-text-shared-with-another src/data/connection.cpp \
    'above.isText() && above.toString() == cell->toString()' 'above.isText()' \
    'engine_test_importi_query'
fault dialect-keeps-nolock src/data/sql_dialect.cpp \
    'edits.append({match.capturedStart(), match.capturedLength(), QStringLiteral(" ")});' \
    'static_cast<void>(match);' \
    'data_test_sql_literal'
fault sqlite-round-half-even src/data/sqlite_functions.cpp \
    'return value.round(std::min(places, Decimal::MaxScale));' \
    'return value.round(std::min(places, Decimal::MaxScale), Rounding::HalfEven);' \
    'data_test_connection|engine_test_elabora_fixtures'

# src/host
fault delta-sign-reversed src/host/budget_object.cpp \
    'return numberOf(value, "value") - numberOf(reference, "reference");' \
    'return numberOf(reference, "reference") - numberOf(value, "value");' \
    'host_test_budget_object|engine_test_totali_criterio'
fault delta-perc-over-signed-base src/host/budget_object.cpp \
    'difference.divide(base.abs(), 6' 'difference.divide(base, 6' \
    'host_test_budget_object|engine_test_totali_criterio'
fault delta-of-two-nulls-is-zero src/host/budget_object.cpp \
    'if (value.isNullOrBlank() && reference.isNullOrBlank())' 'if (false)' \
    'host_test_budget_object|engine_test_totali_criterio'
fault periods-of-quadrimester src/host/budget_object.cpp \
    '{12, 6, 4, 3, 2, 1}' '{12, 6, 4, 4, 2, 1}' \
    'host_test_budget_object'
fault month-of-period-off-by-one src/host/budget_object.cpp \
    'start.addMonths(periodo - 1)' 'start.addMonths(periodo)' \
    'host_test_budget_object'
fault placeholder-last-parameter src/host/host_global.cpp \
    'index <= params.size()' 'index < params.size()' \
    'host_test_host_services'
fault rate-date-strictly-before src/host/host_global.cpp \
    'AND    HS03_DATA <= %1 ) ' 'AND    HS03_DATA < %1 ) ' \
    'host_test_host_services'
fault error-trap-retry-gives-up src/host/error_trap.cpp \
    $'if (m_lastAnswer == MessageAnswer::Retry)\n        return true;' \
    $'if (m_lastAnswer == MessageAnswer::Retry)\n        return false;' \
    'host_test_host_services'

# src/company
fault data-check-integer-range-dropped src/company/company_data_check.cpp \
    'else if (column.minimum && column.maximum)' 'else if (false && column.minimum)' \
    'company_test_company_schema|faults_test_faults'
fault schema-version-not-checked src/company/company_schema.cpp \
    'if (version != QString::number(Version))' 'if (false)' \
    'company_test_company_schema'
fault account-language-term-dropped src/company/schema_account_functions.cpp \
    '"AND L.CG25_LINGUA = RTRIM(?4)\n"' '"AND L.CG25_LINGUA = L.CG25_LINGUA\n"' \
    'company_test_company_schema'

# src/compare
fault forecast-label-ten src/compare/column_arrays.cpp \
    'forecast < 10 ? QStringLiteral("Fo")' 'forecast <= 10 ? QStringLiteral("Fo")' \
    'compare_test_confronto'
fault forecast-caption-entry src/compare/column_arrays.cpp \
    'tipo > 2 ? tipo - 1 : tipo' 'tipo > 2 ? tipo - 2 : tipo' \
    'compare_test_confronto'
fault delta-caption-not-compact src/compare/column_arrays.cpp \
    'QStringLiteral("D ") + compact' 'QStringLiteral("D ") + captions[1][entry]' \
    'compare_test_confronto'
fault profile-saved-outside-transaction src/compare/profili.cpp \
    $'    connection.BeginTrans();\n    try {' '    try {' \
    'compare_test_confronto|faults_test_faults'
also src/compare/profili.cpp $'        connection.CommitTrans();\n' ''
also src/compare/profili.cpp $'        connection.RollbackTrans();\n' ''
fault site-required-when-consolidating src/compare/rst_confronto.cpp \
    'const bool siteNeeded = !state.IsConsolidoMultiAtt && state.IsGestioneSede;' \
    'const bool siteNeeded = state.IsGestioneSede;' \
    'compare_test_confronto'

# src/engine
fault nature-sign-flipped src/engine/sql_importi_per_conto.cpp \
    'BU65_INDNATCONTO = 2 THEN -1' 'BU65_INDNATCONTO = 1 THEN -1' \
    'engine_test_importi_query|engine_test_elabora_fixtures'
fault forecast-one-not-a-forecast src/engine/sql_importi_per_conto.cpp \
    'return *value > Decimal(2);' 'return *value > Decimal(3);' \
    'engine_test_importi_query|engine_test_elabora_fixtures'
fault forecast-joins-budget-not-actuals src/engine/sql_importi_per_conto.cpp \
    'BU66_CONS.BU66_TIPO = 1 ' 'BU66_CONS.BU66_TIPO = 0 ' \
    'engine_test_importi_query|engine_test_elabora_fixtures'
fault period-range-starts-one-late src/engine/sql_importi_per_conto.cpp \
    'sqlNumber(input.PeriodoDa, "PeriodoDa") + " AND "' \
    'sqlNumber(input.PeriodoDa, "PeriodoDa") + " + 1 AND "' \
    'engine_test_importi_query|engine_test_elabora_fixtures'
fault nature-join-term-dropped src/engine/sql_importi_per_conto.cpp \
    '"COALESCE(" + left + ", -1) = COALESCE(" + right + ", -1) "' \
    'QString(left).left(0) + QString(right).left(0) + " 1 = 1 "' \
    'engine_test_importi_query|engine_test_elabora_fixtures'
fault account-key-factor-499 src/engine/chiavi_nodi.cpp \
    'FattoreContiBase = 500;' 'FattoreContiBase = 499;' \
    'engine_test_chiavi_nodi|engine_test_elabora_fixtures'
fault rollup-skips-deepest-level src/engine/totali_criterio.cpp \
    'for (int lvl = deepest; lvl >= 1; --lvl)' 'for (int lvl = deepest - 1; lvl >= 1; --lvl)' \
    'engine_test_totali_criterio|engine_test_elabora_fixtures'
fault intermediate-total-of-later-siblings src/engine/totali_criterio.cpp \
    'QStringLiteral(" AND KEY_VOCE < ?")' 'QStringLiteral(" AND KEY_VOCE > ?")' \
    'engine_test_totali_criterio|engine_test_elabora_fixtures'
fault rollup-of-formula-items src/engine/totali_criterio.cpp \
    $'QStringLiteral(" AND TIPOVOCE <> 2 ") +\n           QStringLiteral(" AND TIPOVOCE <> 3 ");' \
    $'QStringLiteral(" AND TIPOVOCE <> 2 ");' \
    'engine_test_totali_criterio|engine_test_elabora_fixtures'
fault difference-against-first-set src/engine/totali_criterio.cpp \
    '        reference = value;' '' \
    'engine_test_totali_criterio|engine_test_elabora_fixtures'
fault formula-result-not-rounded src/engine/formula_evaluator.cpp \
    'constexpr int FormulaDecimals = 2;' 'constexpr int FormulaDecimals = 6;' \
    'engine_test_formula_evaluator|engine_test_elabora_fixtures'
fault period-amounts-of-other-nature src/engine/rst_periodi.cpp \
    $'if (natura == nullptr ||\n                stessaNatura(importi->value(campoNatura.in(*importi)), *natura))' 'if (true)' \
    'engine_test_totali_periodi|engine_test_elabora_fixtures'
fault criterion-depth-limit-off-by-one src/engine/struttura_criterio.cpp \
    'if (livello > LivelliCriterioMassimi)' 'if (livello >= LivelliCriterioMassimi)' \
    'engine_test_elabora_fixtures'
fault sets-not-read-in-sequence src/engine/importi_query.cpp \
    'RstConfronto.setSort(QStringLiteral("CFR_SEQUENZA"));' '' \
    'engine_test_importi_query|engine_test_elabora_fixtures'

# src/params
fault one-period-range-refused src/params/parametri.cpp 'if (da > a)' 'if (da >= a)' \
    'params_test_parametri|form_test_form'
fault period-beyond-subtype-accepted src/params/parametri.cpp \
    'periodi > 0 && a > periodi' 'periodi > 0 && a > periodi + 1' \
    'params_test_parametri|form_test_form'
fault company-without-sites-keeps-sites src/params/sottotipo.cpp \
    'return sedi.toInt32().value_or(0) > 0;' 'return sedi.toInt32().value_or(0) >= 0;' \
    'params_test_parametri|form_test_form'
fault management-currency-converted src/params/valuta.cpp \
    'if (codice.isEmpty() || codice == valutaGestione(state))' 'if (codice.isEmpty())' \
    'params_test_parametri'

# src/form
fault run-leaves-currency-enabled src/form/frmbu_bdgintric_risultato.cpp \
    'static_cast<ControlModel*>(&TXT_VALUTA), static_cast<ControlModel*>(&TXT_DATACAMBIO),' \
    'static_cast<ControlModel*>(&TXT_DATACAMBIO),' \
    'form_test_form'
fault footer-total-of-first-set src/form/frmbu_bdgintric_risultato.cpp \
    'return TotaliColonne[std::size_t(set - 1)][std::size_t(prefisso.voce)];' \
    'return TotaliColonne[0][std::size_t(prefisso.voce)];' \
    'form_test_form'
fault accounts-always-shown src/form/frmbu_bdgintric_risultato.cpp \
    'TGRID_BDGINTRIC.setAccountsHidden(NascondiConti);' 'TGRID_BDGINTRIC.setAccountsHidden(false);' \
    'form_test_form'

# src/export
fault office-export-shows-hidden-columns src/export/export_to_office.cpp \
    'visibili += colonna.visible ? 1 : 0;' 'visibili += 1;' \
    'export_test_export_to_office'
also src/export/export_to_office.cpp $'if (definizione.visible)\n            aggiungi(' \
    $'if (true)\n            aggiungi('
fault workbook-percentage-keeps-six-decimals src/export/clsbu_bdgintric_excel.cpp \
    'isCampoPercentuale(definizione.name) ? DecimaliPercentuale : definizione.scale' \
    'definizione.scale' \
    'export_test_export_to_office'
fault negative-amount-as-positive src/data/formato_numero.cpp \
    $'if (negativo)\n        testo.prepend' $'if (false)\n        testo.prepend' \
    'data_test_decimal'
fault csv-quote-not-doubled src/export/scrittore_csv.cpp \
    "QStringLiteral(\"\\\"\\\"\")" "QStringLiteral(\"\\\"\")" \
    'export_test_scrittori'
fault json-null-as-zero src/export/scrittore_json.cpp \
    'out += QLatin1StringView("null");' 'out += QLatin1StringView("0");' \
    'export_test_scrittori|app_test_cli'
fault office-indent-one-dash-short src/export/export_to_office.cpp \
    "QLatin1Char('-'), TrattiPerLivello)" "QLatin1Char('-'), TrattiPerLivello - 1)" \
    'export_test_export_to_office'

# src/views
fault view-negative-shown-positive src/views/formato_celle.cpp \
    'formato(maschera).format(*numero)' 'formato(maschera).format(numero->abs())' \
    'views_test_modello_griglia'
fault view-negative-not-highlighted src/views/delegato_importi.cpp \
    "if (option->text.startsWith(QLatin1Char('-')) && !(option->state & QStyle::State_Selected))" \
    'if (false)' \
    'views_test_modello_griglia|app_test_desktop'
fault view-check-box-clicked-unchanged src/views/modello_griglia.cpp \
    'return checked == now || m_grid.clickCheckBox(column.field);' \
    'return m_grid.clickCheckBox(column.field);' \
    'views_test_modello_griglia'

# src/app/cli
fault output-over-wal-allowed src/export/output_target.cpp \
    '{"", "-journal", "-wal", "-shm"}' '{"", "-journal", "-shm"}' \
    'app_test_cli'
fault set-code-two-accepted src/app/cli/cli_options.cpp \
    '!codice || *codice == 2 || ' '!codice || ' \
    'app_test_cli'
fault forecast-number-off-by-one src/app/cli/cli_options.cpp \
    'codice = match.captured(1).toInt() + 2;' 'codice = match.captured(1).toInt() + 1;' \
    'app_test_cli'
fault progressive-99-refused src/app/cli/cli_options.cpp \
    'if (*set.progressivo > MaxProgressivo)' 'if (*set.progressivo >= MaxProgressivo)' \
    'app_test_cli'
fault no-data-exit-as-success src/app/cli/cmd_run.cpp \
    $'throwDatabaseFailure(session);\n        return ExitNoData;' \
    $'throwDatabaseFailure(session);\n        return ExitOk;' \
    'app_test_cli'

# ---------------------------------------------------------------------------------------
# Substitution: `substitute FILE OLD NEW` replaces the one occurrence of OLD; `count` says
# how many there are.
occurrences() {
    [[ -f $1 ]] || { echo "no"; return; }
    "$python" -c 'import sys; print(open(sys.argv[1], encoding="utf-8").read().count(sys.argv[2]))' \
        "$1" "$2"
}
substitute() {
    "$python" -c '
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))' "$1" "$2" "$3"
}

# Every replacement of fault $1 as lines "file<US>old<US>new".
replacements() {
    local index=$1
    printf '%s\x1f%s\x1f%s\x1e%s' "${files[index]}" "${olds[index]}" "${news[index]}" \
        "${alsos[index]}"
}

layer_of() {
    local path=${1#src/}
    case $path in
    app/cli/*) echo app ;;
    app/gui/* | module/*) echo app ;;
    *) echo "${path%%/*}" ;;
    esac
}

tests_regex() {
    local index=$1
    local regex="^(${extras[index]})\$"
    [[ ${MUTATION_WIDE:-} == 1 ]] && regex+="|^$(layer_of "${files[index]}")_"
    echo "$regex"
}

check_list() {
    local stale=0 index record file old new
    for index in "${!ids[@]}"; do
        while IFS= read -r -d $'\x1e' record; do
            IFS=$'\x1f' read -r -d '' file old new < <(printf '%s\0' "$record") || true
            local found
            found=$(occurrences "$tree/$file" "$old")
            if [[ $found != 1 ]]; then
                echo "fault ${ids[index]}: the text to replace occurs $found times in $file" >&2
                stale=1
            fi
        done < <(replacements "$index")
    done
    return $stale
}

# The copy follows the working tree by content, not by time: a file that changed is written
# anew (and so rebuilt), the others keep their time, files gone from the tree are removed.
copy_tree() {
    mkdir -p "$tree"
    (cd "$repo" && git ls-files -z --cached --others --exclude-standard) | "$python" -c '
import os, shutil, sys
repo, tree = sys.argv[1:3]
wanted = {name for name in sys.stdin.buffer.read().decode().split("\0") if name}
for name in wanted:
    source, target = os.path.join(repo, name), os.path.join(tree, name)
    if not os.path.isfile(source):
        continue
    data = open(source, "rb").read()
    if os.path.exists(target) and open(target, "rb").read() == data:
        continue
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as out:
        out.write(data)
    shutil.copymode(source, target)
for folder, _, names in os.walk(tree):
    for name in names:
        path = os.path.join(folder, name)
        if os.path.relpath(path, tree) not in wanted:
            os.remove(path)' "$repo" "$tree"
}

# Unoptimised and without debug information: a mutant's build is mostly compiling, and the
# tests run fast enough either way.
configure() {
    local generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    if [[ ! -f $build/CMakeCache.txt ]]; then
        cmake -S "$tree" -B "$build" "${generator[@]}" "${launcher[@]}" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O0 -DBDGINTRIC_BUILD_BENCH=OFF \
            >"$work/configure.log"
    else
        cmake "$build" >"$work/configure.log"
    fi
}

test_names() {
    ctest --test-dir "$build" -N -R "$1" | sed -n 's/^ *Test *#[0-9]*: //p'
}

# The tests of the command line and the fault suite run the program.
build_tests() {
    local targets
    mapfile -t targets < <(test_names "$1")
    ((${#targets[@]} > 0)) || return 0
    [[ " ${targets[*]}" =~ \ (app|faults)_ ]] && targets+=(bdgintric)
    nice -n "$niceness" cmake --build "$build" -j "$jobs" --target "${targets[@]}" \
        >"$work/build.log" 2>&1
}

run_tests() {
    if [[ ${MUTATION_PG:-} == 1 ]]; then
        nice -n "$niceness" "$tree/scripts/run-tests.sh" "$build" -R "$1" --no-tests=error \
            >"$work/test.log" 2>&1
    else
        (cd "$build" && BDGINTRIC_TEST_PG= nice -n "$niceness" \
            ctest -j "$jobs" --no-tests=error --timeout 600 -R "$1") >"$work/test.log" 2>&1
    fi
}

# The files a mutant changed, restored with a new time so that the next build sees them.
saved_files=()
restore_files() {
    local number
    for number in "${!saved_files[@]}"; do
        cp "$work/original.$number" "$tree/${saved_files[number]}"
    done
    saved_files=()
}

mutate() {
    local index=$1 record file old new
    while IFS= read -r -d $'\x1e' record; do
        IFS=$'\x1f' read -r -d '' file old new < <(printf '%s\0' "$record") || true
        if [[ " ${saved_files[*]} " != *" $file "* ]]; then
            cp "$tree/$file" "$work/original.${#saved_files[@]}"
            saved_files+=("$file")
        fi
        substitute "$tree/$file" "$old" "$new"
    done < <(replacements "$index")
}

main() {
    local selected=("$@")
    if [[ ${1:-} == --list ]]; then
        for index in "${!ids[@]}"; do
            printf '%-40s %s\n' "${ids[index]}" "${files[index]}"
        done
        return 0
    fi
    mkdir -p "$work"
    copy_tree
    check_list || {
        echo "mutation-check: the fault list no longer matches the sources" >&2
        return 1
    }
    [[ ${1:-} == --check ]] && return 0
    configure
    local wanted=() index
    for index in "${!ids[@]}"; do
        if ((${#selected[@]} == 0)) || [[ " ${selected[*]} " == *" ${ids[index]} "* ]]; then
            wanted+=("$index")
        fi
    done
    # Every test the chosen faults run must pass on the sources as they are.
    local names=() union
    for index in "${wanted[@]}"; do names+=(${extras[index]//|/ }); done
    union="^($(printf '%s\n' "${names[@]}" | sort -u | paste -sd '|'))\$"
    echo "building and running the unmutated tests: $union"
    build_tests "$union" || {
        echo "mutation-check: the unmutated tests do not build; see $work/build.log" >&2
        return 1
    }
    run_tests "$union" || {
        echo "mutation-check: the unmutated tests fail; see $work/test.log" >&2
        return 1
    }
    trap restore_files EXIT
    local caught=() missed=() broken=() result regex
    printf '%-40s %-34s %s\n' FAULT FILE RESULT
    for index in "${wanted[@]}"; do
        regex=$(tests_regex "$index")
        mutate "$index"
        if ! build_tests "$regex"; then
            result="DOES NOT BUILD"
            broken+=("${ids[index]}")
            cp "$work/build.log" "$work/build-${ids[index]}.log"
        elif run_tests "$regex"; then
            result="not caught"
            missed+=("${ids[index]}")
        else
            result="caught by $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' \
                "$work/test.log" | paste -sd ' ')"
            caught+=("${ids[index]}")
        fi
        restore_files
        printf '%-40s %-34s %s\n' "${ids[index]}" "${files[index]#src/}" "$result"
    done
    echo
    echo "${#caught[@]} caught, ${#missed[@]} not caught, ${#broken[@]} not built," \
        "of ${#wanted[@]} faults"
    if ((${#missed[@]} > 0)); then
        echo "Faults no test caught:"
        printf '  %s\n' "${missed[@]}"
    fi
    if ((${#broken[@]} > 0)); then
        echo "Faults that do not build (fix the list):"
        printf '  %s\n' "${broken[@]}"
        return 1
    fi
}

main "$@"

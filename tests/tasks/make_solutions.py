#!/usr/bin/env python3
"""Writes the reference solutions of the training tasks, one listing per task
and kind, from resources/tasks/tasks.txt. Each listing is a plain program a
student could type in (rows with Russian comments) plus the generator tables
its firmware dump needs; the test suite turns it into a .prg and a .dmp and
checks it against the task file.

Run from the repository root after the tasks change:
    python3 tests/tasks/make_solutions.py
"""
import os
import re

SRC = 'resources/tasks/tasks.txt'
OUT = 'tests/tasks/solutions'

# character: (segment code, КОИ-8 code of the lab's table)
CHARS = {
    ' ': (0x00, 0o40), '1': (0x06, 0o61), '7': (0x07, 0o67), '_': (0x08, 0o137), 'J': (0x0E, 0o112),
    ']': (0x0F, 0o135), 'l': (0x18, 0o154), "'": (0x20, 0o47), 'I': (0x30, 0o111), 'Г': (0x31, 0o307),
    'П': (0x37, 0o320), 'L': (0x38, 0o114), 'C': (0x39, 0o103), 'U': (0x3E, 0o125), '0': (0x3F, 0o60),
    '-': (0x40, 0o55), '^': (0x44, 0o136), '=': (0x48, 0o75), '3': (0x4F, 0o63), 'г': (0x50, 0o247),
    'п': (0x54, 0o260), '2': (0x5B, 0o62), 'o': (0x5C, 0o117), 'd': (0x5E, 0o140), '4': (0x66, 0o64),
    '5': (0x6D, 0o65), '6': (0x7D, 0o66), '9': (0x6F, 0o71), 'F': (0x71, 0o106), 'P': (0x73, 0o120),
    'H': (0x76, 0o110), 'A': (0x77, 0o101), 'E': (0x79, 0o105), 'b': (0x7C, 0o142), '8': (0x7F, 0o70),
    '.': (0x80, 0o54), '@': (0xFF, 0o100),
}
# the key layout of the conventions: row by row, Ctrl and Shift not pressed
KEYS = ['01234567', '89AbCdEF', 'HJLPUoГП', "гп-_='^]", '.lI@']
KEYCODE = {ch: r * 8 + c for r, row in enumerate(KEYS) for c, ch in enumerate(row)}
KIND_NAMES = {'standard': 'Стандартная', 'game': 'Игровая', 'game-psoo': 'Игровая с ПСОО',
              'strobe': 'Ввод по стробу', 'analysis': 'Анализ МД'}
FORM_NAMES = {'7seg': 'коды сегментов', 'koi8': 'коды КОИ-8', 'keycode': 'коды клавиш', 'hex': '16-ричные цифры'}
SENSORS = 100   # data RAM: the sensor rows
LOWER = 120     # data RAM: the lower row's digits


def seg(ch):
    return CHARS[ch][0]


def form(ram, ch):
    if ram == '7seg':
        return seg(ch)
    if ram == 'koi8':
        return CHARS[ch][1]
    return KEYCODE[ch]


def h2(v):
    s = '%02xh' % v
    return '0' + s if s[0] in 'abcdef' else s


def parse_tasks():
    tasks = []
    cur = None
    for line in open(SRC, encoding='utf-8'):
        line = line.rstrip('\n')
        if not line.strip() or line.startswith('#'):
            continue
        m = re.match(r'task (\d+)$', line)
        if m:
            cur = {'n': int(m.group(1)), 'kinds': {}}
            tasks.append(cur)
            continue
        m = re.match(r'(standard|game-psoo|game|strobe|analysis)\s+(.*)$', line)
        if m:
            cur['kinds'][m.group(1)] = dict(kv.split('=') for kv in m.group(2).split())
            continue
        k, v = line.split('=', 1)
        cur[k.strip()] = v.strip()
    return tasks


def text_chars(text):
    """[(char, group or -1)] without the separators."""
    out, group, groups = [], -1, 0
    for ch in text:
        if ch in ' ;,':
            continue
        if ch == '(':
            group, groups = groups, groups + 1
        elif ch == ')':
            group = -1
        else:
            out.append((ch, group))
    return out


class Prog:
    def __init__(self):
        self.rows = {}
        self.at = 0

    def emit(self, stmt, comment=''):
        self.rows[self.at] = (stmt, comment)
        self.at += 1
        return self.at - 1

    def patch(self, row, stmt):
        self.rows[row] = (stmt, self.rows[row][1])


def cw0_value(mode, width, right):
    v = {'keys': 0x00, 'sensor': 0x04, 'strobe': 0x06}[mode]
    if width == 16:
        v |= 0x08
    if width == 4:
        v |= 0x01
    if right:
        v |= 0x10
    return v


def cw0_comment(mode, width, right):
    what = {'keys': 'клавиатура с блокировкой', 'sensor': 'матрица датчиков', 'strobe': 'ввод по стробу'}[mode]
    scan = ', дешифрированное сканирование' if width == 4 else ''
    return 'CW0: %s, %d индикатора%s, ввод %s' % (what, width, scan, 'справа' if right else 'слева') \
        if width == 4 else 'CW0: %s, %d символов, ввод %s' % (what, width, 'справа' if right else 'слева')


def divisor(freq):
    v = float(freq.split()[0].replace(',', '.'))
    return round(v * 10)


def setup_start(p, t, mode, width, right, clear, clear_text, polling):
    if polling:
        p.emit('cli', 'прерывания не нужны')
    else:
        p.emit('cli', 'прерывания разрешим после настройки')
    p.emit('mov al,%s' % h2(cw0_value(mode, width, right)), cw0_comment(mode, width, right))
    p.emit('out 2bh,al')
    d = divisor(t['pkki'])
    p.emit('mov al,%s' % h2(0x20 | d), 'CW1: ПККИ %s, делитель %d' % (t['pkki'], d))
    p.emit('out 2bh,al')
    p.emit('mov al,%s' % h2(clear), 'CW6: очистить ОЗУ индикации кодом %s и FIFO' % clear_text)
    p.emit('out 2bh,al')
    wait = p.emit('in al,2bh', 'ждём конца очистки (бит 7 слова состояния)')
    p.emit('test al,80h')
    p.emit('jnz %x' % wait)


def write_chars(p, chars, code_of, what=''):
    for ch in chars:
        p.emit('mov al,%s' % h2(code_of(ch)), '«%s»%s' % (ch, what))
        p.emit('out 2ah,al')


def inserts_after(chars):
    """Fixed characters that follow the k-th group character: {k: [chars]}."""
    out, k = {}, 0
    for ch, g in chars:
        if g >= 0:
            k += 1
        elif k > 0:
            out.setdefault(k, []).append(ch)
    return out


def counted(chars, pair):
    """Whether the handler must count the characters: to place the fixed ones
    after them, or to find the lower row's digit."""
    return pair or bool(inserts_after(chars))


def handler_body(p, t, chars, ram, pair, lower):
    """AL holds the character's byte as read; writes it and what follows it."""
    if pair:
        p.emit('shl al,4', 'цифра — в старшую тетраду (верхняя линейка)')
        p.emit('mov cl,[bx+%d]' % LOWER, 'цифра нижней линейки для этого разряда')
        p.emit('or al,cl')
    p.emit('out 2ah,al', 'в очередной разряд')
    if not counted(chars, pair):
        return
    p.emit('inc bl', 'BL: сколько символов уже введено')
    for k, fixed in sorted(inserts_after(chars).items()):
        jump = p.emit('cmp bl,%d' % k, 'после %d-го введенного символа' % k)
        row = p.emit('jnz ?')
        write_chars(p, fixed, lambda ch: form(ram, ch), ' — его программа ставит сама')
        p.patch(row, 'jnz %s' % fmt_addr(p.at))


def fmt_addr(a):
    s = '%xh' % a
    return '0' + s if s[0] in 'abcdef' else s


def make(t, kind):
    k = t['kinds'][kind]
    right = k['order'] == 'low'
    width = int(k['width'])
    rows = int(k['rows'])
    chars = text_chars(t['text'])
    lower = [x for x in re.split(r'[; ,]', t['row2']) if x] if rows == 2 else []
    pair = rows == 2
    ppop = int(t['ppop'], 16)
    p = Prog()
    tables = {}
    setup = ''
    head = []

    if kind == 'analysis':
        ram = None
        zg = 3 if pair else 1
        head.append('Данные в ОЗУ индикации: ' + ('пара ЗГ3/ЗГ4 — старшая тетрада сверху, младшая снизу'
                                                  if pair else 'коды клавиш (16-ричные цифры), ЗГ1'))
    else:
        ram = k['ram']
        kg = k['kg'] == 'yes'
        zg = 0 if ram == '7seg' else (3 if pair else 1)
    polling = kind == 'game' or (kind == 'strobe' and t['n'] % 2 == 0)
    if kind == 'standard':
        polling = True

    # generator tables
    if zg == 1:
        fill = 'koi8' if ram == 'koi8' else 'keycode'
        tables['zg1'] = {form(fill, ch): seg(ch) for ch in CHARS if ch != ' ' and (fill == 'koi8' or ch in KEYCODE)}
        if fill == 'koi8':
            tables['zg1'][0o40] = 0
        tables['zg1'][0xFF] = 0
    if zg == 3:
        digits = '0123456789AbCdE'
        tables['zg3'] = {i: seg(c) for i, c in enumerate(digits)}
        tables['zg3'][15] = 0
        tables['zg4'] = dict(tables['zg3'])
    if kind != 'analysis' and kg:
        tables['kg'] = {KEYCODE[ch]: form(ram, ch) for ch in KEYCODE}
    use_kg = kind != 'analysis' and kg
    setup = ('ЗГ%d' % zg if zg in (1, 2) else 'ЗГ3/ЗГ4' if zg == 3 else 'без знакогенератора') + \
        (', КГ' if use_kg else '')

    if zg == 0:
        clear, clear_text = 0xD1, '00'
    elif ram == 'koi8':
        clear, clear_text = 0xD9, '20 (пробел КОИ-8)'
    else:
        clear, clear_text = 0xDD, 'FF (знакогенератор его гасит)'

    mode = {'standard': 'keys', 'game': 'keys', 'game-psoo': 'keys', 'strobe': 'strobe', 'analysis': 'sensor'}[kind]
    setup_start(p, t, mode, width, right, clear, clear_text, polling or kind == 'analysis' and False)
    if kind != 'analysis':
        p.emit('mov al,90h', 'CW4: запись с адреса 0 с автоинкрементом')
        p.emit('out 2bh,al')

    if kind == 'standard':
        if pair:
            for i, (ch, _) in enumerate(chars):
                hi, lo = KEYCODE[ch], KEYCODE[lower[i]]
                p.emit('mov al,%s' % h2(hi << 4 | lo), '«%s» сверху, «%s» снизу' % (ch, lower[i]))
                p.emit('out 2ah,al')
        else:
            write_chars(p, [c for c, _ in chars], lambda ch: form(ram, ch))
        stop = p.emit('jmp ?', 'остановка: текст выведен')
        p.patch(stop, 'jmp %s' % fmt_addr(stop))
    elif kind in ('game', 'game-psoo', 'strobe'):
        lead = []
        for ch, g in chars:
            if g >= 0:
                break
            lead.append(ch)
        write_chars(p, lead, lambda ch: form(ram, ch))
        if pair:
            for i, d in enumerate(lower):
                p.emit('mov ax,%d' % KEYCODE[d], 'нижняя линейка, разряд %d: «%s»' % (i, d))
                p.emit('mov [%d],ax' % (LOWER + i))
        if counted(chars, pair):
            p.emit('mov bx,0', 'BX: число введенных символов (BH = 0)')
        p.emit('mov al,40h', 'CW2: чтение FIFO')
        p.emit('out 2bh,al')
        if polling:
            loop = p.emit('in al,2bh', 'есть ли байты в FIFO?')
            p.emit('test al,0fh')
            p.emit('jz %s' % fmt_addr(loop))
            p.emit('in al,2ah', 'код символа' + (' через КГ' if use_kg else ''))
            handler_body(p, t, chars, ram, pair, lower)
            p.emit('jmp %s' % fmt_addr(loop))
        else:
            p.emit('sti', 'дальше работает прерывание')
            idle = p.emit('nop', 'основная программа свободна')
            p.emit('jmp %s' % fmt_addr(idle))
            assert p.at <= ppop, (t['n'], kind)
            p.at = ppop
            what = 'принят байт по стробу' if kind == 'strobe' else 'нажата клавиша'
            p.emit('push ax', 'ППОП: ' + what)
            p.emit('in al,2ah', 'код символа' + (' через КГ' if use_kg else ''))
            handler_body(p, t, chars, ram, pair, lower)
            p.emit('pop ax')
            p.emit('iret')
    else:
        p.emit('sti', 'дальше работает прерывание от матрицы датчиков')
        idle = p.emit('nop')
        p.emit('jmp %s' % fmt_addr(idle))
        assert p.at <= ppop, (t['n'], kind)
        p.at = ppop
        p.emit('push ax', 'ППОП: в матрице датчиков есть изменения')
        p.emit('mov al,50h', 'CW2: ОЗУ датчиков со строки 0 с автоинкрементом')
        p.emit('out 2bh,al')
        p.emit('mov di,%d' % SENSORS, 'коды строк 0..7 — в ячейки %d..%d' % (SENSORS, SENSORS + 7))
        p.emit('call copy_allmozu')
        p.emit('mov al,0dch', 'CW6: очистить только ОЗУ индикации кодом FF')
        p.emit('out 2bh,al')
        wait = p.emit('in al,2bh', 'ждём конца очистки')
        p.emit('test al,80h')
        p.emit('jnz %s' % fmt_addr(wait))
        p.emit('mov al,90h', 'CW4: запись с адреса 0 с автоинкрементом')
        p.emit('out 2bh,al')
        analysis_output(p, t, chars, lower, pair)
        p.emit('mov al,0e0h', 'CW7: конец прерывания')
        p.emit('out 2bh,al')
        p.emit('pop ax')
        p.emit('iret')

    head_text = ['Задание %d, «%s»: вывести %s%s.' % (
        t['n'], KIND_NAMES[kind], t['text'], ', внизу ' + t['row2'] if pair else '')]
    if kind == 'analysis':
        head_text.append('П1: %s. П2: %s.' % (t['p1'], t['p2']))
    elif kind != 'standard':
        src = {'game': 'клавиши, опрос FIFO', 'game-psoo': 'клавиши, их читает ППОП',
               'strobe': 'байты по стробу, ' + ('опрос FIFO' if polling else 'их читает ППОП')}[kind]
        head_text.append('Символы групп: %s.' % src)
    if ram:
        head_text.append('Данные в ОЗУ индикации: %s%s.' % (FORM_NAMES[ram], ' (пара ЗГ3/ЗГ4)' if pair else ''))
    head_text += head
    head_text.append('Настройка: %s; прошивка — таблицы ниже.' % setup)
    return p, tables, setup, head_text


def analysis_output(p, t, chars, lower, pair):
    """The output of the sensor analysis for the tasks' П2."""
    n = t['n']
    group_chars = [c for c, g in chars if g >= 0]

    def put_fixed(ch):
        p.emit('mov al,%s' % h2(KEYCODE[ch]), '«%s»' % ch)
        p.emit('out 2ah,al')

    def low_digit(row):
        p.emit('mov al,[%d]' % (SENSORS + row), 'код строки %d' % row)
        p.emit('and al,0fh', 'его младшая цифра')
        p.emit('out 2ah,al')

    op = ANALYSIS[n]
    k = 0
    for ch, g in chars:
        if g < 0:
            put_fixed(ch)
            continue
        kind, arg = op[k]
        k += 1
        if kind == 'low':
            low_digit(arg)
        elif kind == 'pair':
            p.emit('mov al,[%d]' % (SENSORS + arg), 'код строки %d: старшая цифра сверху, младшая снизу' % arg)
            p.emit('out 2ah,al')
        elif kind == 'rowpair':
            p.emit('mov al,[%d]' % (SENSORS + arg), 'код строки %d' % arg)
            p.emit('and al,0fh', 'младшая цифра — вниз')
            p.emit('or al,%s' % h2(arg << 4), 'номер строки %d — вверх' % arg)
            p.emit('out 2ah,al')
        elif kind == 'count':
            p.emit('mov al,[%d]' % (SENSORS + arg), 'код строки %d' % arg)
            p.emit('call get_kol_dat', 'AX: число замкнутых датчиков')
            p.emit('out 2ah,al')
        elif kind == 'column':
            p.emit('mov al,[%d]' % (SENSORS + arg), 'код строки %d' % arg)
            p.emit('mov cl,0', 'CL: номер столбца')
            search(p, [('test al,1', 'замкнут датчик столбца CL?')], ['shr al,1'],
                   'номер столбца (8 — не замкнут ни один: ЗГ погасит)')
        elif kind == 'row':
            p.emit('mov si,%d' % SENSORS, 'ищем строку с замкнутыми датчиками')
            p.emit('mov cl,0', 'CL: номер строки')
            search(p, [('mov al,[si]', ''), ('cmp al,0', '')], ['inc si'], 'номер строки')
        else:
            raise ValueError(kind)
    assert k == len(op) == len(group_chars), n


def search(p, test, advance, found_comment):
    """A loop over CL = 0..7 that stops where `test` leaves ZF = 0 and shows CL."""
    top = None
    for stmt, comment in test:
        row = p.emit(stmt, comment)
        top = row if top is None else top
    found = p.emit('jnz ?')
    for stmt in advance:
        p.emit(stmt)
    p.emit('inc cl')
    p.emit('cmp cl,8')
    p.emit('jnz %s' % fmt_addr(top))
    p.patch(found, 'jnz %s' % fmt_addr(p.at))
    p.emit('mov al,cl', found_comment)
    p.emit('out 2ah,al')


def lows(rows):
    return [('low', r) for r in rows]


ANALYSIS = {
    1: [('column', 0)], 2: lows(range(4)), 3: lows(range(4)), 4: [('row', None)], 5: [('pair', r) for r in range(4)],
    6: lows(range(2)), 7: lows(range(4)), 8: lows(range(3)), 9: lows(range(4)), 10: lows(range(4)),
    11: [('row', None)], 12: [('pair', r) for r in range(4)], 13: lows(range(2)), 14: [('count', 0)],
    15: lows(range(2)), 16: [('pair', r) for r in range(4)], 17: lows(range(4)), 18: lows(range(4)),
    19: lows(range(3)), 20: [('rowpair', r) for r in range(8)], 21: lows(range(4)), 22: lows(range(8)),
}


def write(t, kind):
    p, tables, setup, head = make(t, kind)
    name = '%02d-%s.lst' % (t['n'], kind)
    lines = ['# ' + h for h in head]
    lines.append('int %03X' % int(t['ppop'], 16))
    lines.append('port 42')
    lines.append('setup %s' % setup)
    for table in ('zg1', 'zg3', 'zg4', 'kg'):
        if table in tables:
            items = sorted(tables[table].items())
            for i in range(0, len(items), 8):
                lines.append('%s %s' % (table, ' '.join('%02X:%02X' % kv for kv in items[i:i + 8])))
    width = max(len(s) for s, _ in p.rows.values())
    for row in sorted(p.rows):
        stmt, comment = p.rows[row]
        lines.append(('%03X %-*s ; %s' % (row, width, stmt, comment)).rstrip(' ;') if comment
                     else '%03X %s' % (row, stmt))
    with open(os.path.join(OUT, name), 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    os.makedirs(OUT, exist_ok=True)
    for t in parse_tasks():
        for kind in KIND_NAMES:
            write(t, kind)


if __name__ == '__main__':
    main()

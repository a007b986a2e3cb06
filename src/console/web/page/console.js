// The item console in the browser. Every text from the server is put in as text
// (textContent), never as markup.
'use strict';

const state = { company: '', language: '', item: null, panels: [], selected: 0 };
const PRICE_VIEWS = {
  FRMUC_LISTINI_VEN: 'sales',
  FRMUC_LISTINI_ACQ: 'purchase',
  FRMUC_LISTINI_ULP: 'last',
};
const STEP_WORDS = {
  base_price: 'Base price',
  base_variation: 'Base-metal variation',
  discount: 'Discount',
  discount_amount: 'Amount discount',
  markup: 'Markup',
  markup_amount: 'Markup amount',
  rounding: 'Rounding',
  clamp_at_zero: 'Clamp at zero',
};
const PICTURE = /\.(png|jpe?g|gif)$/i;

function el(tag, props, text) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props || {})) {
    if (key === 'class') node.className = value;
    else if (key.startsWith('data-') || key.startsWith('aria-') || key === 'role') node.setAttribute(key, value);
    else node[key] = value;
  }
  if (text !== undefined && text !== null) node.textContent = String(text);
  return node;
}

function showMessage(text) {
  const box = document.getElementById('message');
  box.textContent = text;
  box.hidden = !text;
}

// A failure in words: what went wrong, its number and where.
function errorWords(error) {
  if (!error) return 'The server did not answer.';
  return 'Error ' + error.number + ': ' + error.description + '\n(' + error.source + ')';
}

async function api(endpoint, params) {
  const query = new URLSearchParams(params);
  if (state.company) query.set('company', state.company);
  if (state.language) query.set('language', state.language);
  let response;
  try {
    response = await fetch('/api/' + endpoint + '?' + query.toString());
  } catch (e) {
    throw new Error('The server cannot be reached.');
  }
  let body = null;
  try { body = await response.json(); } catch (e) { body = null; }
  if (!response.ok || !body || body.error) {
    throw new Error(errorWords(body && body.error));
  }
  return body;
}

// Values as the session writes them: plain JSON, or tagged objects for the other types.
function valueText(value) {
  if (value === null || value === undefined) return '';
  if (typeof value !== 'object') return String(value);
  if ('$decimal' in value || '$currency' in value) {
    let text = String(value.$decimal !== undefined ? value.$decimal : value.$currency);
    if (text.includes('.') && !/e/i.test(text)) text = text.replace(/0+$/, '').replace(/\.$/, '');
    return text;
  }
  if ('$date' in value) return String(value.$date).replace(/T00:00:00$/, '').replace('T', ' ');
  if ('$int' in value) return String(value.$int);
  if ('$bytes' in value) return '<' + Math.floor(String(value.$bytes).length * 3 / 4) + ' bytes>';
  if ('$empty' in value || '$missing' in value || '$nothing' in value) return '';
  return JSON.stringify(value);
}

function isNumber(value) {
  return typeof value === 'number' ||
    (value !== null && typeof value === 'object' && ('$decimal' in value || '$int' in value || '$currency' in value));
}

function heading(column, code) {
  return code && column.startsWith(code + '_') ? column.slice(code.length + 1) : column;
}

function tableOf(table, caption, withExplain, onExplain) {
  const wrap = el('div', { class: 'table-wrap' });
  if (!table.rows.length) {
    wrap.append(el('p', { class: 'empty' }, '(no rows)'));
    return wrap;
  }
  const shown = (table.shown && table.shown.length ? table.shown : table.columns)
    .map((name) => table.columns.indexOf(name)).filter((i) => i >= 0);
  const grid = el('table');
  grid.append(el('caption', { class: 'hidden-label' }, caption));
  const head = el('tr');
  head.append(el('th', { scope: 'col' }, '#'));
  for (const i of shown) head.append(el('th', { scope: 'col' }, heading(table.columns[i], table.code)));
  if (withExplain) head.append(el('th', { scope: 'col' }, 'Explanation'));
  grid.append(el('thead', {}, null));
  grid.tHead.append(head);
  const body = el('tbody');
  table.rows.forEach((row, r) => {
    const line = el('tr', { 'data-row': r + 1 });
    line.append(el('td', { class: 'number' }, r + 1));
    for (const i of shown) {
      const text = valueText(row[i]);
      const kind = isNumber(row[i]) ? 'number' : text.length > 32 ? 'long' : '';
      line.append(el('td', { class: kind, 'data-column': table.columns[i] }, text));
    }
    if (withExplain) {
      const cell = el('td');
      const button = el('button', { type: 'button', class: 'explain', 'aria-label': 'Explain the net price of row ' + (r + 1) }, 'Explain');
      button.addEventListener('click', () => onExplain(r + 1, button));
      cell.append(button);
      line.append(cell);
    }
    body.append(line);
  });
  grid.append(body);
  wrap.append(grid);
  if (table.truncated) wrap.append(el('p', { class: 'empty' }, 'Only the first ' + table.rows.length + ' rows are shown.'));
  return wrap;
}

function explanationOf(answer) {
  const box = el('section', { class: 'explanation', 'aria-label': 'Net price explained', tabIndex: -1 });
  box.append(el('h3', {}, 'Net price of row ' + answer.row + ', step by step'));
  const grid = el('table');
  const head = el('tr');
  for (const name of ['Step', 'Value', 'Price after the step']) head.append(el('th', { scope: 'col' }, name));
  grid.append(el('thead', {}, null));
  grid.tHead.append(head);
  const body = el('tbody');
  for (const step of answer.steps) {
    let word = STEP_WORDS[step.step] || step.step;
    if (step.index) word += ' ' + step.index;
    let value = step.amount;
    if (step.step === 'discount' || step.step === 'markup') value += ' %';
    if (step.step === 'rounding') value += ' decimals';
    if (step.step === 'base_variation') {
      value = '(' + step.variation + ' − ' + step.base + ') × ' + step.multiplier + ' = ' + step.amount;
    }
    if (step.step === 'clamp_at_zero') value = 'below zero';
    const zero = /^-?0(\.0*)?$/.test(step.amount) && step.step !== 'base_price' && step.step !== 'rounding';
    const line = el('tr', { class: 'step' + (zero ? ' zero' : ''), 'data-step': step.step });
    line.append(el('td', {}, word), el('td', { class: 'number' }, value),
      el('td', { class: 'number step-price' }, step.price));
    body.append(line);
  }
  const total = el('tr', { class: 'total' });
  total.append(el('td', {}, 'Net price'), el('td'), el('td', { class: 'number', id: 'explained-net-price' }, valueText(answer.net_price)));
  body.append(total);
  grid.append(body);
  box.append(grid);
  return box;
}

function attachmentsOf(panel) {
  const table = panel;
  const box = el('div', { class: 'attachments' });
  const col = (name) => table.columns.indexOf(name);
  for (const row of table.rows) {
    const id = valueText(row[col('CL06_ID')]);
    const name = valueText(row[col('CL06_NOMEFILE')]);
    const kind = valueText(row[col('CL06_DESTIPO')]);
    const url = '/api/attachment?' + new URLSearchParams({ code: state.item.code, id, company: state.company, language: state.language });
    const figure = el('figure');
    // Only what the catalogue mirror holds has a file; the rest is named with its address.
    if (valueText(row[col('CL06_ISDOWNLOADED')]) === 'DOWN') {
      figure.append(el('p', { class: 'empty' }, 'Not downloaded: ' + valueText(row[col('CL06_LINK')])));
    } else if (PICTURE.test(name)) {
      figure.append(el('img', { src: url, alt: kind + ': ' + name, class: 'picture' }));
    } else {
      figure.append(el('a', { href: url, download: name, class: 'document' }, 'Download ' + name));
    }
    figure.append(el('figcaption', {}, kind + ' · ' + name + (valueText(row[col('CL06_DIMENSIONE')]) ? ' · ' + valueText(row[col('CL06_DIMENSIONE')]) : '')));
    box.append(figure);
  }
  return box;
}

async function historyOf(container) {
  const answer = await api('intrastat', { code: state.item.code });
  const years = new Map();
  for (const row of answer.rows) {
    if (!years.has(row.year)) years.set(row.year, ['', '']);
    years.get(row.year)[row.type] = row.code;
  }
  const title = el('h3', {}, 'Nomenclature history by year');
  if (!years.size) {
    container.append(title, el('p', { class: 'empty' }, '(no rows)'));
    return;
  }
  const grid = el('table', { id: 'intrastat-years' });
  const head = el('tr');
  for (const name of ['Year', 'Code', 'Notional code']) head.append(el('th', { scope: 'col' }, name));
  grid.append(el('thead', {}, null));
  grid.tHead.append(head);
  const body = el('tbody');
  for (const [year, codes] of [...years.entries()].sort((a, b) => a[0] - b[0])) {
    const line = el('tr', { 'data-year': year });
    line.append(el('td', { class: 'number' }, year), el('td', {}, codes[0]), el('td', {}, codes[1]));
    body.append(line);
  }
  grid.append(body);
  container.append(title, grid);
}

function renderPanel(panel) {
  const box = el('div', { class: 'panel', role: 'tabpanel', id: 'panel-' + panel.name, 'aria-labelledby': 'tab-' + panel.name, tabIndex: 0 });
  box.append(el('h2', {}, panel.title));
  if (panel.error) {
    box.append(el('p', { class: 'empty' }, errorWords(panel.error)));
    return box;
  }
  if (panel.name === 'IMMAGINI') {
    box.append(panel.rows.length ? attachmentsOf(panel) : el('p', { class: 'empty' }, '(no rows)'));
    return box;
  }
  const view = PRICE_VIEWS[panel.name];
  const slot = el('div', { class: 'explanation-slot' });
  const explain = async (row, button) => {
    try {
      const answer = await api('explain', { code: state.item.code, view, row });
      const shown = explanationOf(answer);
      slot.replaceChildren(shown);
      shown.focus({ preventScroll: true });
      shown.scrollIntoView({ block: 'nearest' });
      slot.dataset.row = row;
      showMessage('');
    } catch (e) {
      showMessage(e.message);
      button.focus();
    }
  };
  box.append(tableOf(panel, panel.title, Boolean(view), explain), slot);
  if (panel.history) {
    const history = el('div', { class: 'history' });
    box.append(history);
    historyOf(history).catch((e) => history.append(el('p', { class: 'empty' }, e.message)));
  }
  return box;
}

function selectTab(index, focus) {
  state.selected = index;
  const tabs = document.querySelectorAll('#tabs [role=tab]');
  tabs.forEach((tab, i) => {
    tab.setAttribute('aria-selected', i === index ? 'true' : 'false');
    tab.tabIndex = i === index ? 0 : -1;
  });
  const panels = document.getElementById('panels');
  panels.replaceChildren(renderPanel(state.panels[index]));
  if (focus) tabs[index].focus();
}

function renderTabs() {
  const bar = document.getElementById('tabs');
  bar.replaceChildren();
  state.panels.forEach((panel, i) => {
    const tab = el('button', { type: 'button', role: 'tab', id: 'tab-' + panel.name, 'aria-controls': 'panel-' + panel.name, 'data-panel': panel.name }, panel.title);
    tab.addEventListener('click', () => selectTab(i, false));
    tab.addEventListener('keydown', (event) => {
      const last = state.panels.length - 1;
      const to = { ArrowRight: i === last ? 0 : i + 1, ArrowLeft: i === 0 ? last : i - 1, Home: 0, End: last }[event.key];
      if (to !== undefined) {
        event.preventDefault();
        selectTab(to, true);
      }
    });
    bar.append(tab);
  });
}

async function openItem(code) {
  try {
    const answer = await api('item', { code });
    state.item = answer.item;
    state.panels = answer.panels;
    const title = answer.item.code + ' — ' + answer.item.description;
    document.getElementById('title').textContent = title;
    document.title = title;
    document.getElementById('results').replaceChildren();
    showMessage('');
    renderTabs();
    selectTab(Math.min(state.selected, state.panels.length - 1), false);
    document.body.dataset.loaded = answer.item.code + '|' + state.company + '|' + state.language;
  } catch (e) {
    showMessage(e.message);
  }
}

async function find(event) {
  event.preventDefault();
  const by = document.getElementById('search-by').value;
  const text = document.getElementById('search-text').value;
  try {
    const answer = await api('find', { by, text });
    const list = document.getElementById('results');
    list.replaceChildren();
    if (!answer.items.length) {
      showMessage('No item found.');
      return;
    }
    showMessage('');
    if (answer.items.length === 1) {
      state.selected = 0;
      await openItem(answer.items[0].code);
      return;
    }
    for (const item of answer.items) {
      const button = el('button', { type: 'button', class: 'result', 'data-code': item.code }, item.code + ' — ' + item.description);
      button.addEventListener('click', () => { state.selected = 0; openItem(item.code); });
      const entry = el('li');
      entry.append(button);
      list.append(entry);
    }
    list.querySelector('button').focus();
  } catch (e) {
    showMessage(e.message);
  }
}

async function start() {
  document.getElementById('search').addEventListener('submit', find);
  try {
    const answer = await api('companies', {});
    const company = document.getElementById('company');
    for (const c of answer.companies) company.append(el('option', { value: String(c.code) }, c.code + ' ' + c.name));
    if (!answer.companies.length) company.append(el('option', { value: '' }, 'default'));
    company.value = String(answer.default_company);
    state.company = company.value;
    const language = document.getElementById('language');
    language.append(el('option', { value: '' }, 'company language'));
    for (const l of answer.languages) language.append(el('option', { value: l }, l.trim()));
    const reopen = () => { if (state.item) openItem(state.item.code); };
    company.addEventListener('change', () => { state.company = company.value; reopen(); });
    language.addEventListener('change', () => { state.language = language.value; reopen(); });
  } catch (e) {
    showMessage(e.message);
  }
  document.body.dataset.ready = 'yes';
  document.getElementById('search-text').focus();
}

document.addEventListener('DOMContentLoaded', start);
